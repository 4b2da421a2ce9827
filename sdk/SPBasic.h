// The host's basic suite: acquire and release every other suite by name and version.
// Written from the published facts; sizes are those of the 64-bit Windows build.
#pragma once

#include <stddef.h>
#include <stdint.h>

typedef int32_t int32;
typedef int32 SPErr;
typedef int32 SPBoolean;

#define SPAPI
#define kSPNoError 0
#define kSPBasicSuite "SP Basic Suite"
#define kSPBasicSuiteVersion 4

#ifdef __cplusplus
extern "C" {
#endif

typedef struct SPBasicSuite {
  SPAPI SPErr (*AcquireSuite)(const char *name, int32 version, const void **suite);
  SPAPI SPErr (*ReleaseSuite)(const char *name, int32 version);
  SPAPI SPBoolean (*IsEqual)(const char *token1, const char *token2);
  SPAPI SPErr (*AllocateBlock)(size_t size, void **block);
  SPAPI SPErr (*FreeBlock)(void *block);
  SPAPI SPErr (*ReallocateBlock)(void *block, size_t newSize, void **newblock);
  SPAPI SPErr (*Undefined)(void);
} SPBasicSuite;

#ifdef __cplusplus
}
static_assert(sizeof(SPBasicSuite) == 56, "SPBasicSuite layout");
#endif

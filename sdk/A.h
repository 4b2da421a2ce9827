// Basic scalar types and A_Err codes of the host's published effect API.
// Written from the published facts; sizes are those of the 64-bit Windows build (LLP64).
#pragma once

#include <stddef.h>
#include <stdint.h>

typedef int32_t A_long;
typedef uint32_t A_u_long;
typedef int16_t A_short;
typedef uint16_t A_u_short;
typedef char A_char;
typedef uint8_t A_u_char;
typedef uint8_t A_Boolean;
typedef A_long A_Err;
typedef double A_FpLong;
typedef float A_FpShort;
typedef A_long A_Fixed;
typedef A_u_long A_UFixed;
typedef void *A_Handle;
typedef uint64_t A_u_longlong;
typedef A_u_longlong A_HandleSize;
typedef intptr_t A_intptr_t;
typedef A_u_short A_UTF16Char;

// One byte with GNU compilers, four with the vendor's; see the effect's notes on calling
// conventions.
#if defined(__GNUC__) || defined(__MWERKS__)
typedef A_char A_LegacyEnumType;
#else
typedef A_long A_LegacyEnumType;
#endif

typedef struct {
  A_long value;
  A_u_long scale;
} A_Time;

typedef struct {
  A_long num;
  A_u_long den;
} A_Ratio;

typedef struct {
  A_FpLong mat[4][4];
} A_Matrix4;

typedef struct _Up_OpaqueMem **AEGP_MemHandle;

enum {
  A_Err_NONE = 0,
  A_Err_GENERIC,
  A_Err_STRUCT,
  A_Err_PARAMETER,
  A_Err_ALLOC,
  A_Err_WRONG_THREAD,
  A_Err_CONST_PROJECT_MODIFICATION,
  A_Err_MISSING_SUITE = 13
};

#ifdef __cplusplus
static_assert(sizeof(A_Time) == 8, "A_Time layout");
static_assert(sizeof(A_HandleSize) == 8, "A_HandleSize layout");
#endif

// Advanced application suite: the Info panel lines the custom control shows.
#pragma once

#include "AE_Effect.h"

#ifdef __cplusplus
extern "C" {
#endif

#define kPFAdvAppSuite "PF AE Adv App Suite"
#define kPFAdvAppSuiteVersion1 1
#define kPFAdvAppSuiteVersion2 2

typedef struct PF_AdvAppSuite2 {
  PF_Err (*PF_SetProjectDirty)(void);
  PF_Err (*PF_SaveProject)(void);
  PF_Err (*PF_SaveBackgroundState)(void);
  PF_Err (*PF_ForceForeground)(void);
  PF_Err (*PF_RestoreBackgroundState)(void);
  PF_Err (*PF_RefreshAllWindows)(void);
  PF_Err (*PF_InfoDrawText)(const A_char *line1Z0, const A_char *line2Z0);
  PF_Err (*PF_InfoDrawColor)(PF_Pixel color);
  PF_Err (*PF_InfoDrawText3)(const A_char *line1Z0, const A_char *line2Z0, const A_char *line3Z0);
  PF_Err (*PF_InfoDrawText3Plus)(const A_char *line1Z0, const A_char *line2_jrZ0,
                                 const A_char *line2_jlZ0, const A_char *line3_jrZ0,
                                 const A_char *line3_jlZ0);
  PF_Err (*PF_AppendInfoText)(const A_char *appendZ0);
} PF_AdvAppSuite2;

#ifdef __cplusplus
}
static_assert(sizeof(PF_AdvAppSuite2) == 88 && offsetof(PF_AdvAppSuite2, PF_InfoDrawText) == 48,
              "PF_AdvAppSuite2 layout");
#endif

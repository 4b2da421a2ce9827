// Registration types: the host calls the module's PluginDataEntryFunction with a callback
// that takes the effect's names, entry point, kind and API version.
#pragma once

#include "A.h"

#ifdef __cplusplus
extern "C" {
#endif

struct SPBasicSuite;
typedef struct PF_PluginData *PF_PluginDataPtr;

typedef A_Err (*PF_PluginDataCB)(PF_PluginDataPtr inPtr, const A_u_char *inNamePtr,
                                 const A_u_char *inMatchNamePtr, const A_u_char *inCategoryPtr,
                                 const A_u_char *inEntryPointNamePtr, A_long inkind,
                                 A_long inApiVersionMajor, A_long inApiVersionMinor,
                                 A_long inReservedInfo);

typedef A_Err (*PF_PluginDataCB2)(PF_PluginDataPtr inPtr, const A_u_char *inNamePtr,
                                  const A_u_char *inMatchNamePtr, const A_u_char *inCategoryPtr,
                                  const A_u_char *inEntryPointNamePtr, A_long inkind,
                                  A_long inApiVersionMajor, A_long inApiVersionMinor,
                                  A_long inReservedInfo, const A_u_char *inSupportURLPtr);

typedef A_Err (*PluginDataEntryFunctionPtr)(PF_PluginDataPtr inPtr,
                                            PF_PluginDataCB inPluginDataCallBackPtr,
                                            struct SPBasicSuite *inSPBasicSuitePtr,
                                            const char *inHostName, const char *inHostVersion);

typedef A_Err (*PluginDataEntryFunction2Ptr)(PF_PluginDataPtr inPtr,
                                             PF_PluginDataCB2 inPluginDataCallBackPtr,
                                             struct SPBasicSuite *inSPBasicSuitePtr,
                                             const char *inHostName, const char *inHostVersion);

#ifdef __cplusplus
}
#endif

// The effect's answers to the host's arbitrary-data requests about the ArbData record
// (core/arb_data_record.h). Every function here touches only the handles it is given, so any
// thread may call them.
#pragma once

#include "AE_Effect.h"
#include "AE_EffectCB.h"
#include "core/arb_data_record.h"
#include "shell/suites.h"

namespace huewarp {

/// Creates a default record in a new handle and stores it in `*place`. No handle, or one that
/// cannot be locked, gives 4 and leaves `*place` as it was.
PF_Err CreateDefaultArbData(SuiteCache &suites, PF_ArbitraryH *place);

// The host's requests, one per PF_Arbitrary_*_FUNC. `refcon` is the one the request carries;
// the functions that insist on kArbDataRefcon answer a foreign one as the host expects.

/// NEW: a default record into `*place`; 512 for a foreign parameter.
PF_Err NewArbData(SuiteCache &suites, void *refcon, PF_ArbitraryH *place);
/// DISPOSE: gives the handle back to the host; 512 for a foreign parameter.
PF_Err DisposeArbData(const PF_UtilCallbacks &utils, void *refcon, PF_ArbitraryH handle);
/// COPY: a default record into `*dst_place`, overwritten with the source's bytes. A foreign
/// parameter is answered 0 with nothing done.
PF_Err CopyArbData(SuiteCache &suites, void *refcon, PF_ArbitraryH src, PF_ArbitraryH *dst_place);
/// FLAT_SIZE: always 56, whatever the parameter.
PF_Err ArbDataFlatSize(A_u_long *size);
/// FLATTEN: the record's 56 bytes into `buffer`; any other size writes nothing.
PF_Err FlattenArbDataHandle(const PF_UtilCallbacks &utils, PF_ArbitraryH handle,
                            A_u_long buffer_size, void *buffer);
/// UNFLATTEN: a new handle holding the 56 bytes of `buffer`; any other size makes nothing.
PF_Err UnflattenArbDataHandle(const PF_UtilCallbacks &utils, A_u_long buffer_size,
                              const void *buffer, PF_ArbitraryH *place);
/// COMPARE: only current_handle decides; 514 when a record cannot be locked.
PF_Err CompareArbData(const PF_UtilCallbacks &utils, PF_ArbitraryH a, PF_ArbitraryH b,
                      PF_ArbCompareResult *result);
/// PRINT_SIZE: the buffer size the host must offer to print.
PF_Err ArbDataPrintSize(void *refcon, A_u_long *size);
/// PRINT: "current_handle=N\t" for plain printing into at least 512 bytes, else the empty text.
PF_Err PrintArbData(const PF_UtilCallbacks &utils, void *refcon, PF_ArbPrintFlags flags,
                    PF_ArbitraryH handle, A_u_long buffer_size, A_char *buffer);
/// SCAN: records are never made from text.
PF_Err ScanArbData(void *refcon);

}  // namespace huewarp

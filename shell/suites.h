// Access to the host's suites for the length of one command: a cache of lazily acquired suites,
// a scoped suite, and acquire/release functions for callers that want an error code.
// Failures follow one rule: the cache throws 516, a scoped suite reports and throws 13 (both as
// plain PF_Err values that EffectMain turns into the command's result); the functions return 516.
// None of these outlives the command, and none is shared between threads.
#pragma once

#include <array>
#include <cstdint>

#include "AE_AdvEffectSuites.h"
#include "AE_Effect.h"
#include "AE_EffectCB.h"
#include "AE_EffectCBSuites.h"
#include "AE_EffectSuites.h"
#include "AE_EffectSuitesHelper.h"
#include "AE_GeneralPlug.h"
#include "AEConfig.h"
#include "PrSDKAESupport.h"
#include "adobesdk/DrawbotSuite.h"

namespace huewarp {

/// A suite's published name and the version the effect asks for.
struct SuiteId {
  const char *name;
  int32_t version;
};

// Every suite the effect acquires; no suite name appears anywhere else.
inline constexpr SuiteId kHandleSuite{kPFHandleSuite, kPFHandleSuiteVersion1};
inline constexpr SuiteId kUtilitySuite{kAEGPUtilitySuite, kAEGPUtilitySuiteVersion3};
inline constexpr SuiteId kPFInterfaceSuite{kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1};
inline constexpr SuiteId kStreamSuite{kAEGPStreamSuite, kAEGPStreamSuiteVersion2};
inline constexpr SuiteId kDynamicStreamSuite{kAEGPDynamicStreamSuite,
                                             kAEGPDynamicStreamSuiteVersion2};
inline constexpr SuiteId kParamUtilsSuite{kPFParamUtilsSuite, kPFParamUtilsSuiteVersion3};
inline constexpr SuiteId kHelperSuite2{kPFHelperSuite2, kPFHelperSuite2Version2};
inline constexpr SuiteId kAdvAppSuite{kPFAdvAppSuite, kPFAdvAppSuiteVersion2};
inline constexpr SuiteId kColorParamSuite{kPFColorParamSuite, kPFColorParamSuiteVersion1};
inline constexpr SuiteId kWorldSuite{kPFWorldSuite, kPFWorldSuiteVersion2};
inline constexpr SuiteId kIterate8Suite1{kPFIterate8Suite, kPFIterate8SuiteVersion1};
inline constexpr SuiteId kIterate16Suite1{kPFIterate16Suite, kPFIterate16SuiteVersion1};
inline constexpr SuiteId kIterateFloatSuite1{kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1};
inline constexpr SuiteId kIterate8Suite2{kPFIterate8Suite, kPFIterate8SuiteVersion2};
inline constexpr SuiteId kIterate16Suite2{kPFIterate16Suite, kPFIterate16SuiteVersion2};
inline constexpr SuiteId kIterateFloatSuite2{kPFIterateFloatSuite, kPFIterateFloatSuiteVersion2};
inline constexpr SuiteId kPixelFormatSuite{kPFPixelFormatSuite, kPFPixelFormatSuiteVersion1};
inline constexpr SuiteId kCustomUISuite{kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1};
inline constexpr SuiteId kDrawbotDrawSuite{kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1};
inline constexpr SuiteId kDrawbotSupplierSuite{kDRAWBOT_SupplierSuite,
                                               kDRAWBOT_SupplierSuite_Version1};
inline constexpr SuiteId kDrawbotSurfaceSuite{kDRAWBOT_SurfaceSuite,
                                              kDRAWBOT_SurfaceSuite_Version2};
inline constexpr SuiteId kDrawbotPathSuite{kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1};

inline constexpr const char *kAcquireFailedMessage = "Not able to acquire AEFX Suite.";
inline constexpr const char *kReleaseFailedMessage = "Not able to release AEFX Suite.";

/// Sets the display flag and prints `message` into `return_msg` with the host's sprintf.
void ReportSuiteFailure(const PF_InData *in_data, PF_OutData *out_data, const char *message);

/// One lazily acquired table per cached suite; each is acquired at most once and released in
/// the destructor. A missing basic suite or a failed acquisition throws 516.
class SuiteCache {
 public:
  explicit SuiteCache(const SPBasicSuite *basic);
  ~SuiteCache();
  SuiteCache(const SuiteCache &) = delete;
  SuiteCache &operator=(const SuiteCache &) = delete;

  const PF_HandleSuite1 *Handle() { return Get<PF_HandleSuite1>(kHandle); }
  const AEGP_UtilitySuite3 *Utility() { return Get<AEGP_UtilitySuite3>(kUtility); }
  const AEGP_PFInterfaceSuite1 *PFInterface() { return Get<AEGP_PFInterfaceSuite1>(kPFInterface); }
  const AEGP_StreamSuite2 *Stream() { return Get<AEGP_StreamSuite2>(kStream); }
  const AEGP_DynamicStreamSuite2 *DynamicStream() {
    return Get<AEGP_DynamicStreamSuite2>(kDynamicStream);
  }
  const PF_ParamUtilsSuite3 *ParamUtils() { return Get<PF_ParamUtilsSuite3>(kParamUtils); }
  const PF_HelperSuite2 *Helper() { return Get<PF_HelperSuite2>(kHelper); }
  const PF_AdvAppSuite2 *AdvApp() { return Get<PF_AdvAppSuite2>(kAdvApp); }

 private:
  enum Slot {
    kHandle,
    kUtility,
    kPFInterface,
    kStream,
    kDynamicStream,
    kParamUtils,
    kHelper,
    kAdvApp,
    kSlotCount
  };
  static constexpr std::array<SuiteId, kSlotCount> kIds = {
      kHandleSuite,        kUtilitySuite,    kPFInterfaceSuite, kStreamSuite,
      kDynamicStreamSuite, kParamUtilsSuite, kHelperSuite2,     kAdvAppSuite};

  const void *Acquire(Slot slot);
  template <class Table>
  const Table *Get(Slot slot) {
    return static_cast<const Table *>(tables_[slot] ? tables_[slot] : Acquire(slot));
  }

  const SPBasicSuite *basic_;
  std::array<const void *, kSlotCount> tables_{};
};

/// Acquires one suite for its lifetime. On failure it reports `message` into `out_data` (when
/// given) and throws 13. Neither copyable nor movable.
template <class Table>
class ScopedSuite {
 public:
  ScopedSuite(const PF_InData *in_data, SuiteId id, PF_OutData *out_data = nullptr,
              const char *message = kAcquireFailedMessage)
      : basic_(in_data->pica_basicP), id_(id) {
    const void *table = nullptr;
    const SPErr err = basic_ ? basic_->AcquireSuite(id.name, id.version, &table) : 1;
    if (err || !table) {
      if (out_data) ReportSuiteFailure(in_data, out_data, message);
      throw PF_Err{A_Err_MISSING_SUITE};
    }
    table_ = static_cast<const Table *>(table);
  }
  ~ScopedSuite() { basic_->ReleaseSuite(id_.name, id_.version); }
  ScopedSuite(const ScopedSuite &) = delete;
  ScopedSuite &operator=(const ScopedSuite &) = delete;

  const Table *operator->() const { return table_; }
  const Table *get() const { return table_; }

 private:
  const SPBasicSuite *basic_;
  SuiteId id_;
  const Table *table_ = nullptr;
};

/// Acquires a suite into `*suite`; 0 when the host left a table there, else 516 with the display
/// flag and `message` (default: the acquire message). The caller releases on every path.
PF_Err AEFX_AcquireSuite(const PF_InData *in_data, PF_OutData *out_data, const char *name,
                         int32_t version, const char *message, const void **suite);

/// Releases a suite; 516 with the display flag and `message` (default: the release message) when
/// there is no basic suite.
PF_Err AEFX_ReleaseSuite(const PF_InData *in_data, PF_OutData *out_data, const char *name,
                         int32_t version, const char *message);

}  // namespace huewarp

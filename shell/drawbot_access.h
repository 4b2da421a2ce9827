// The Drawbot suites and objects of one draw, held by small owners so that no path out of a
// draw, an early return or a thrown suite failure, can leave a suite acquired or an object alive.
// Owners acquire only while the caller's running error is 0 and store their own error in it;
// their explicit Release gives the caller the release's error, their destructors ignore it.
#pragma once

#include "AE_Effect.h"
#include "adobesdk/DrawbotSuite.h"
#include "shell/running_error.h"
#include "shell/suites.h"

namespace huewarp {

/// Acquires the draw, supplier, surface and path suites into `suites`, in that order, stopping at
/// the first that comes back null (516, with the display flag and the acquire message). A null
/// record gives 514 with its own message. Only the pointers count, not the host's result.
PF_Err AEFX_AcquireDrawbotSuites(const PF_InData *in_data, PF_OutData *out_data,
                                 DRAWBOT_Suites *suites);

/// Releases all four suites; always 0 (a missing basic suite is reported in the output record).
PF_Err AEFX_ReleaseDrawbotSuites(const PF_InData *in_data, PF_OutData *out_data);

/// The four Drawbot suites for one draw. When the acquisition stops part-way, only the suites
/// that did arrive are given back.
class ScopedDrawbotSuites {
 public:
  ScopedDrawbotSuites(const PF_InData *in_data, PF_OutData *out_data, PF_Err &err);
  ~ScopedDrawbotSuites();
  ScopedDrawbotSuites(const ScopedDrawbotSuites &) = delete;
  ScopedDrawbotSuites &operator=(const ScopedDrawbotSuites &) = delete;

  const DRAWBOT_Suites &get() const { return suites_; }
  /// Gives the suites back now; always 0.
  PF_Err Release();

 private:
  const PF_InData *in_data_;
  PF_OutData *out_data_;
  DRAWBOT_Suites suites_{};
};

/// One suite taken through AEFX_AcquireSuite (an error code instead of a throw).
template <class Table>
class ScopedAefxSuite {
 public:
  ScopedAefxSuite(const PF_InData *in_data, PF_OutData *out_data, SuiteId id, PF_Err &err)
      : in_data_(in_data), out_data_(out_data), id_(id) {
    if (err) return;
    const void *table = nullptr;
    err = AEFX_AcquireSuite(in_data, out_data, id.name, id.version, nullptr, &table);
    table_ = static_cast<const Table *>(table);
  }
  ~ScopedAefxSuite() { Release(); }
  ScopedAefxSuite(const ScopedAefxSuite &) = delete;
  ScopedAefxSuite &operator=(const ScopedAefxSuite &) = delete;

  const Table *get() const { return table_; }
  const Table *operator->() const { return table_; }
  /// Gives the suite back now (0 when it was not held).
  PF_Err Release() {
    if (!table_) return PF_Err_NONE;
    table_ = nullptr;
    return AEFX_ReleaseSuite(in_data_, out_data_, id_.name, id_.version, nullptr);
  }

 private:
  const PF_InData *in_data_;
  PF_OutData *out_data_;
  SuiteId id_;
  const Table *table_ = nullptr;
};

/// One object the supplier made (path, brush, pen or font), released exactly once.
template <class Ref>
class DrawbotObject {
 public:
  explicit DrawbotObject(const DRAWBOT_SupplierSuite1 &supplier) : supplier_(supplier) {}
  ~DrawbotObject() { Release(); }
  DrawbotObject(const DrawbotObject &) = delete;
  DrawbotObject &operator=(const DrawbotObject &) = delete;

  /// Where the supplier writes the new object.
  Ref *receive() { return &ref_; }
  Ref get() const { return ref_; }
  /// Releases now; 0 when there was nothing to release.
  PF_Err Release() {
    if (!ref_) return PF_Err_NONE;
    const Ref ref = ref_;
    ref_ = nullptr;
    return supplier_.ReleaseObject(reinterpret_cast<DRAWBOT_ObjectRef>(ref));
  }

 private:
  const DRAWBOT_SupplierSuite1 &supplier_;
  Ref ref_ = nullptr;
};

}  // namespace huewarp

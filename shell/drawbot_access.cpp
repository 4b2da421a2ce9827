#include "shell/drawbot_access.h"

namespace huewarp {
namespace {

constexpr const char *kNullSuitesMessage = "NULL suite pointer passed to AEFX_AcquireDrawbotSuites";

template <class Table>
PF_Err AcquireInto(const PF_InData *in_data, PF_OutData *out_data, SuiteId id, Table *&slot) {
  const void *table = nullptr;
  const PF_Err err = AEFX_AcquireSuite(in_data, out_data, id.name, id.version, nullptr, &table);
  slot = static_cast<Table *>(const_cast<void *>(table));
  return err;
}

void ReleaseIfHeld(const PF_InData *in_data, PF_OutData *out_data, SuiteId id, const void *table) {
  if (table) AEFX_ReleaseSuite(in_data, out_data, id.name, id.version, nullptr);
}

}  // namespace

PF_Err AEFX_AcquireDrawbotSuites(const PF_InData *in_data, PF_OutData *out_data,
                                 DRAWBOT_Suites *suites) {
  if (!suites) {
    ReportSuiteFailure(in_data, out_data, kNullSuitesMessage);
    return PF_Err_UNRECOGNIZED_PARAM_TYPE;
  }
  PF_Err err = AcquireInto(in_data, out_data, kDrawbotDrawSuite, suites->drawbot_suiteP);
  if (!err) err = AcquireInto(in_data, out_data, kDrawbotSupplierSuite, suites->supplier_suiteP);
  if (!err) err = AcquireInto(in_data, out_data, kDrawbotSurfaceSuite, suites->surface_suiteP);
  if (!err) err = AcquireInto(in_data, out_data, kDrawbotPathSuite, suites->path_suiteP);
  return err;
}

PF_Err AEFX_ReleaseDrawbotSuites(const PF_InData *in_data, PF_OutData *out_data) {
  for (const SuiteId &id :
       {kDrawbotDrawSuite, kDrawbotSupplierSuite, kDrawbotSurfaceSuite, kDrawbotPathSuite}) {
    AEFX_ReleaseSuite(in_data, out_data, id.name, id.version, nullptr);
  }
  return PF_Err_NONE;
}

ScopedDrawbotSuites::ScopedDrawbotSuites(const PF_InData *in_data, PF_OutData *out_data,
                                         PF_Err &err)
    : in_data_(in_data), out_data_(out_data) {
  if (!err) err = AEFX_AcquireDrawbotSuites(in_data, out_data, &suites_);
}

ScopedDrawbotSuites::~ScopedDrawbotSuites() { Release(); }

PF_Err ScopedDrawbotSuites::Release() {
  const DRAWBOT_Suites held = suites_;
  suites_ = {};
  if (held.drawbot_suiteP && held.supplier_suiteP && held.surface_suiteP && held.path_suiteP) {
    return AEFX_ReleaseDrawbotSuites(in_data_, out_data_);
  }
  // A partial acquisition: give back exactly what arrived.
  ReleaseIfHeld(in_data_, out_data_, kDrawbotDrawSuite, held.drawbot_suiteP);
  ReleaseIfHeld(in_data_, out_data_, kDrawbotSupplierSuite, held.supplier_suiteP);
  ReleaseIfHeld(in_data_, out_data_, kDrawbotSurfaceSuite, held.surface_suiteP);
  ReleaseIfHeld(in_data_, out_data_, kDrawbotPathSuite, held.path_suiteP);
  return PF_Err_NONE;
}

}  // namespace huewarp

#include "shell/suites.h"

namespace huewarp {

void ReportSuiteFailure(const PF_InData *in_data, PF_OutData *out_data, const char *message) {
  if (!out_data) return;
  out_data->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
  if (in_data && in_data->utils && in_data->utils->ansi.sprintf) {
    in_data->utils->ansi.sprintf(out_data->return_msg, "%s", message);
  }
}

SuiteCache::SuiteCache(const SPBasicSuite *basic) : basic_(basic) {
  if (!basic_) throw PF_Err{PF_Err_BAD_CALLBACK_PARAM};
}

SuiteCache::~SuiteCache() {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (tables_[slot]) basic_->ReleaseSuite(kIds[slot].name, kIds[slot].version);
  }
}

const void *SuiteCache::Acquire(Slot slot) {
  const void *table = nullptr;
  const SPErr err = basic_->AcquireSuite(kIds[slot].name, kIds[slot].version, &table);
  if (err || !table) throw PF_Err{PF_Err_BAD_CALLBACK_PARAM};
  tables_[slot] = table;
  return table;
}

PF_Err AEFX_AcquireSuite(const PF_InData *in_data, PF_OutData *out_data, const char *name,
                         int32_t version, const char *message, const void **suite) {
  *suite = nullptr;
  const SPBasicSuite *basic = in_data ? in_data->pica_basicP : nullptr;
  // Only the table counts: some hosts report success without one.
  if (basic) basic->AcquireSuite(name, version, suite);
  if (*suite) return PF_Err_NONE;
  ReportSuiteFailure(in_data, out_data, message ? message : kAcquireFailedMessage);
  return PF_Err_BAD_CALLBACK_PARAM;
}

PF_Err AEFX_ReleaseSuite(const PF_InData *in_data, PF_OutData *out_data, const char *name,
                         int32_t version, const char *message) {
  const SPBasicSuite *basic = in_data ? in_data->pica_basicP : nullptr;
  if (!basic) {
    ReportSuiteFailure(in_data, out_data, message ? message : kReleaseFailedMessage);
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  basic->ReleaseSuite(name, version);
  return PF_Err_NONE;
}

}  // namespace huewarp

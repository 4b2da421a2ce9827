// PF_Cmd_GLOBAL_SETUP: declares version and capabilities, creates GlobalData, registers with the
// AEGP layer, and in Premiere Pro declares the one pixel format the effect renders in.
#include "shell/effect_identity.h"
#include "shell/global_data.h"
#include "shell/handlers.h"
#include "shell/scoped_handle.h"
#include "shell/suites.h"

namespace huewarp {
namespace {

PF_Err CreateGlobalData(const PF_InData *in_data, PF_OutData *out_data, SuiteCache &suites) {
  const PF_HandleSuite1 *handles = suites.Handle();
  // A record that is not installed would never be freed by anyone.
  PendingHandle handle(handles->host_new_handle(sizeof(GlobalData)), handles->host_dispose_handle);
  if (!handle.get()) return PF_Err_INTERNAL_STRUCT_DAMAGED;
  PF_Err err = PF_Err_NONE;
  {
    ScopedHandleLock lock(handle.get(), *handles);
    auto *global = lock.as<GlobalData>();
    // Later commands cannot work without the record.
    if (!global) return PF_Err_INTERNAL_STRUCT_DAMAGED;
    global->initialized = 1;
    if (!IsPremiere(in_data)) {
      err = suites.Utility()->AEGP_RegisterWithAEGP(nullptr, kEffectName, &global->plugin_id);
    }
    global->alpha_grabbed = 0;
  }
  if (!err) out_data->global_data = handle.Release();
  return err;
}

PF_Err DeclarePremierePixelFormat(const PF_InData *in_data, PF_OutData *out_data) {
  ScopedSuite<PF_PixelFormatSuite1> formats(in_data, kPixelFormatSuite, out_data);
  PF_Err err = formats->ClearSupportedPixelFormats(in_data->effect_ref);
  if (!err)
    err = formats->AddSupportedPixelFormat(in_data->effect_ref, PrPixelFormat_VUYA_4444_32f);
  return err;
}

}  // namespace

PF_Err GlobalSetup(PF_InData *in_data, PF_OutData *out_data) {
  // Declared before anything can fail, so the host knows the effect even when setup fails.
  out_data->my_version = kEffectVersion;
  out_data->out_flags = kOutFlags;
  out_data->out_flags2 = kOutFlags2;

  SuiteCache suites(in_data->pica_basicP);
  PF_Err err = CreateGlobalData(in_data, out_data, suites);
  if (IsPremiere(in_data)) {
    const PF_Err format_err = DeclarePremierePixelFormat(in_data, out_data);
    if (!err) err = format_err;
  }
  return err;
}

}  // namespace huewarp

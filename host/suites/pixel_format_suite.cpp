// "PF Pixel Format Suite" 1 (Premiere): records the formats an effect declares.
#include "AEConfig.h"
#include "PrSDKAESupport.h"
#include "host/command_context.h"
#include "host/host.h"
#include "host/suites/suites.h"

namespace huewarp::host {
namespace {

PF_Err AddSupportedPixelFormat(PF_ProgPtr effect_ref, PrPixelFormat format) {
  const HostCall fault = Consult("AddSupportedPixelFormat");
  if (fault.fail) return fault.code;
  CommandContext *context = CommandFromRef(effect_ref);
  if (!context) return PF_Err_BAD_CALLBACK_PARAM;
  context->host->PixelFormats().push_back(static_cast<int32_t>(format));
  return PF_Err_NONE;
}

PF_Err ClearSupportedPixelFormats(PF_ProgPtr effect_ref) {
  const HostCall fault = Consult("ClearSupportedPixelFormats");
  if (fault.fail) return fault.code;
  CommandContext *context = CommandFromRef(effect_ref);
  if (!context) return PF_Err_BAD_CALLBACK_PARAM;
  context->host->PixelFormats().clear();
  context->host->NotePixelFormatClear();
  return PF_Err_NONE;
}

}  // namespace

void RegisterPixelFormatSuite(SuiteRegistry &registry) {
  static PF_PixelFormatSuite1 suite = [] {
    PF_PixelFormatSuite1 s{};
    s.AddSupportedPixelFormat = AddSupportedPixelFormat;
    s.ClearSupportedPixelFormats = ClearSupportedPixelFormats;
    return s;
  }();
  registry.Add(kPFPixelFormatSuite, kPFPixelFormatSuiteVersion1, &suite);
}

}  // namespace huewarp::host

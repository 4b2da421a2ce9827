// "PF Pixel Format Suite" 1 (Premiere): records the formats an effect declares.
#include "AEConfig.h"
#include "PrSDKAESupport.h"
#include "host/core/command_context.h"
#include "host/core/host.h"
#include "host/core/host_call.h"
#include "host/suites/pixel_format_suite.h"
#include "host/suites/suites.h"

namespace huewarp::host {
namespace {

PF_Err AddSupportedPixelFormat(PF_ProgPtr effect_ref, PrPixelFormat format) {
  const HostCall fault = Consult("AddSupportedPixelFormat");
  if (fault.fail) return fault.code;
  CommandContext *context = CommandFromRef(effect_ref);
  if (!context) return PF_Err_BAD_CALLBACK_PARAM;
  context->host->SuiteState<DeclaredPixelFormats>().Add(static_cast<int32_t>(format));
  return PF_Err_NONE;
}

PF_Err ClearSupportedPixelFormats(PF_ProgPtr effect_ref) {
  const HostCall fault = Consult("ClearSupportedPixelFormats");
  if (fault.fail) return fault.code;
  CommandContext *context = CommandFromRef(effect_ref);
  if (!context) return PF_Err_BAD_CALLBACK_PARAM;
  context->host->SuiteState<DeclaredPixelFormats>().Clear();
  return PF_Err_NONE;
}

}  // namespace

void DeclaredPixelFormats::Add(int32_t format) {
  std::lock_guard lock(mutex_);
  formats_.push_back(format);
}

void DeclaredPixelFormats::Clear() {
  std::lock_guard lock(mutex_);
  formats_.clear();
  ++clears_;
}

std::vector<int32_t> DeclaredPixelFormats::Formats() const {
  std::lock_guard lock(mutex_);
  return formats_;
}

int DeclaredPixelFormats::Clears() const {
  std::lock_guard lock(mutex_);
  return clears_;
}

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

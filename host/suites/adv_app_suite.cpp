// "PF AE Adv App Suite" 2: the Info panel's text, kept by the host the command belongs to. The
// project, window and colour entries are not offered.
#include "AE_AdvEffectSuites.h"
#include "host/core/command_context.h"
#include "host/core/host.h"
#include "host/core/host_call.h"
#include "host/suites/suites.h"

namespace huewarp::host {
namespace {

PF_Err InfoDrawText(const A_char *line1, const A_char *line2) {
  const HostCall fault = Consult("PF_InfoDrawText");
  if (fault.fail) return fault.code;
  CommandContext *context = CurrentCommand();
  if (!context || !context->host) return PF_Err_BAD_CALLBACK_PARAM;
  context->host->Info().DrawText(line1, line2);
  return PF_Err_NONE;
}

}  // namespace

void RegisterAdvAppSuite(SuiteRegistry &registry) {
  static PF_AdvAppSuite2 suite = [] {
    PF_AdvAppSuite2 s{};
    s.PF_InfoDrawText = InfoDrawText;
    return s;
  }();
  registry.Add(kPFAdvAppSuite, kPFAdvAppSuiteVersion2, &suite);
}

}  // namespace huewarp::host

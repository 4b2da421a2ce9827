// "PF World Suite" 2: the pixel format of a world the host made.
#include "AE_EffectCBSuites.h"
#include "host/core/command_context.h"
#include "host/core/host_call.h"
#include "host/render/world.h"
#include "host/suites/suites.h"

namespace huewarp::host {
namespace {

PF_Err GetPixelFormat(const PF_EffectWorld *world, PF_PixelFormat *format) {
  const HostCall fault = Consult("PF_GetPixelFormat");
  if (fault.fail) return fault.code;
  const World *w = World::FromEffectWorld(world);
  if (!w || !format) return PF_Err_BAD_CALLBACK_PARAM;
  *format = w->pixel_format();
  return PF_Err_NONE;
}

}  // namespace

void RegisterWorldSuite(SuiteRegistry &registry) {
  static PF_WorldSuite2 suite{nullptr, nullptr, GetPixelFormat};
  registry.Add(kPFWorldSuite, kPFWorldSuiteVersion2, &suite);
}

}  // namespace huewarp::host

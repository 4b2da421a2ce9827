#include "core/pixel_mapping.h"

#include <algorithm>
#include <cmath>

#include "core/mapping_kernel.h"

namespace huewarp {

namespace {

using kernel::SoftwareFma;

// The one kernel of every depth: the input is read whole before the output is written, so the
// two may be the same pixel. The reference: binary searches and the software fused operation.
template <class Depth, class Pixel>
PF_Err MapPixel(void *refcon, const Pixel *in, Pixel *out) {
  const auto &data = *static_cast<const PreRenderData *>(refcon);
  *out = Depth::Out(kernel::Mapped<SoftwareFma, false>(data, Depth::In(*in), {}, {}));
  return PF_Err_NONE;
}

}  // namespace

float InputValue(std::uint16_t inputRange, const PF_PixelFloat &pixel) {
  return kernel::InputValue<SoftwareFma>(inputRange, pixel);
}

float HueOf(float red, float green, float blue) { return kernel::HueOf(red, green, blue); }

float SaturationOf(float red, float green, float blue) {
  return kernel::SaturationOf(red, green, blue);
}

float OffsetTurns(PF_Fixed degrees) {
  return static_cast<float>(degrees / 65536.0 * (1.0 / 360.0));
}

float OffsetWrapped(PF_Fixed degrees) {
  const float wrapped = static_cast<float>(std::fmod(degrees / 65536.0, 360.0) * (1.0 / 360.0));
  return wrapped < 0.0f ? wrapped + 1.0f : wrapped;
}

float GradientPosition(const PreRenderData &data, float v) {
  return kernel::GradientPosition<false>(data, v);
}

PF_Err MapPixelFloat(void *refcon, A_long, A_long, PF_PixelFloat *in, PF_PixelFloat *out) {
  return MapPixel<kernel::DepthFloat>(refcon, in, out);
}

PF_Err MapPixel16(void *refcon, A_long, A_long, PF_Pixel16 *in, PF_Pixel16 *out) {
  return MapPixel<kernel::Depth16>(refcon, in, out);
}

PF_Err MapPixel8(void *refcon, A_long, A_long, PF_Pixel8 *in, PF_Pixel8 *out) {
  return MapPixel<kernel::Depth8>(refcon, in, out);
}

}  // namespace huewarp

// PF_Cmd_SMART_RENDER: maps every output pixel through the frame's gradient with the iterate
// suite of the input's depth, or copies the input when the blend is at 100 percent.
#include <cmath>

#include "AE_EffectCB.h"
#include "AE_EffectCBSuites.h"
#include "core/fast_path.h"
#include "render/frame_record.h"
#include "core/pixel_mapping.h"
#include "shell/handlers.h"
#include "shell/suites.h"

namespace huewarp {
namespace {

template <class Pixel>
PF_Err CopyPixel(void *, A_long, A_long, Pixel *in, Pixel *out) {
  *out = *in;
  return PF_Err_NONE;
}

/// Checks the input layer back in when render ends; Checkin() does it early to report the error.
class InputCheckin {
 public:
  InputCheckin(const PF_InData *in_data, const PF_SmartRenderCallbacks *cb)
      : in_data_(in_data), cb_(cb) {}
  ~InputCheckin() { Checkin(); }
  InputCheckin(const InputCheckin &) = delete;
  InputCheckin &operator=(const InputCheckin &) = delete;

  PF_Err Checkin() {
    if (done_) return PF_Err_NONE;
    done_ = true;
    return cb_->checkin_layer_pixels(in_data_->effect_ref, 0);
  }

 private:
  const PF_InData *in_data_;
  const PF_SmartRenderCallbacks *cb_;
  bool done_ = false;
};

struct IterateArgs {
  PF_InData *in_data;
  PF_EffectWorld *input;
  PF_EffectWorld *output;
  void *refcon;
};

/// The iterate suites of one version, acquired together and released together.
template <class Suite8, class Suite16, class SuiteFloat>
struct IterateSuites {
  IterateSuites(PF_InData *in_data, PF_OutData *out_data, SuiteId id8, SuiteId id16,
                SuiteId id_float)
      : s8(in_data, id8, out_data),
        s16(in_data, id16, out_data),
        s_float(in_data, id_float, out_data) {}
  ScopedSuite<Suite8> s8;
  ScopedSuite<Suite16> s16;
  ScopedSuite<SuiteFloat> s_float;
};

/// Runs the iterate of the format's depth over the output's extent; an unknown format does
/// nothing and is no error.
template <class Suites>
PF_Err IterateByFormat(const Suites &suites, const IterateArgs &a, PF_PixelFormat format,
                       PF_IteratePixel8Func fn8, PF_IteratePixel16Func fn16,
                       PF_IteratePixelFloatFunc fn_float) {
  const PF_Rect &area = a.output->extent_hint;
  const A_long progress_final = area.bottom - area.top;
  switch (format) {
    case PF_PixelFormat_ARGB128:
      return suites.s_float->iterate(a.in_data, 0, progress_final, a.input, &area, a.refcon,
                                     fn_float, a.output);
    case PF_PixelFormat_ARGB64:
      return suites.s16->iterate(a.in_data, 0, progress_final, a.input, &area, a.refcon, fn16,
                                 a.output);
    case PF_PixelFormat_ARGB32:
      return suites.s8->iterate(a.in_data, 0, progress_final, a.input, &area, a.refcon, fn8,
                                a.output);
    default:
      return PF_Err_NONE;
  }
}

}  // namespace

PF_Err SmartRender(PF_InData *in_data, PF_OutData *out_data, PF_SmartRenderExtra *extra) {
  const RenderedRecord data(static_cast<PreRenderData *>(extra->input->pre_render_data));
  if (!data) return PF_Err_INTERNAL_STRUCT_DAMAGED;
  // A record whose pre-render ran out of memory has no ramps to map with.
  if (!data->colorRamp || !data->alphaRamp) return PF_Err_INTERNAL_STRUCT_DAMAGED;
  PF_Err err = PF_Err_NONE;

  PF_EffectWorld *input = nullptr;
  PF_EffectWorld *output = nullptr;
  InputCheckin checkin(in_data, extra->cb);
  err = extra->cb->checkout_layer_pixels(in_data->effect_ref, 0, &input);
  if (!err) err = extra->cb->checkout_output(in_data->effect_ref, &output);

  ScopedSuite<PF_WorldSuite2> worlds(in_data, kWorldSuite, out_data);
  PF_PixelFormat format = PF_PixelFormat_INVALID;
  if (!err) err = worlds->PF_GetPixelFormat(input, &format);
  data->outputWorld = output;
  data->pixelFormat = format;

  const IterateArgs args{in_data, input, output, data.get()};
  if (std::fabs(static_cast<double>(data->blend) - 1.0) < 1e-3) {
    IterateSuites<PF_Iterate8Suite1, PF_Iterate16Suite1, PF_IterateFloatSuite1> suites(
        in_data, out_data, kIterate8Suite1, kIterate16Suite1, kIterateFloatSuite1);
    if (!err) {
      err = IterateByFormat(suites, args, format, CopyPixel<PF_Pixel>, CopyPixel<PF_Pixel16>,
                            CopyPixel<PF_PixelFloat>);
    }
  } else if (!err) {
    IterateSuites<PF_Iterate8Suite2, PF_Iterate16Suite2, PF_IterateFloatSuite2> suites(
        in_data, out_data, kIterate8Suite2, kIterate16Suite2, kIterateFloatSuite2);
    const PixelFunctions map = SelectPixelFunctions(*data);
    err = IterateByFormat(suites, args, format, map.map8, map.map16, map.mapFloat);
  }

  const PF_Err checkin_err = checkin.Checkin();
  if (!err) err = checkin_err;
  return err;
}

}  // namespace huewarp

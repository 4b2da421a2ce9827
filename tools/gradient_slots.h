// The gradient as the editor keeps it, set from the command line: colour stops and alpha
// handles go into slots 1..n, the slots beyond are hidden, and the editor's record says how many
// slots are in use, just as adding and removing stops in the editor leaves them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/instance/instance.h"
#include "host/instance/param_stream.h"
#include "params/arb_data.h"

namespace huewarp::tool {

struct StopText {
  double position = 0;  ///< Percent, 0..100.
  host::ParamValue color;
};

struct AlphaText {
  double position = 0;  ///< Percent, 0..100.
  double value = 100;   ///< Percent opacity, 0..100.
};

/// "0:#0f2a54,50:#05e6d7,100:#cc6024": one to 100 stops, in any order.
std::vector<StopText> ParseStops(const std::string &text);
/// "0:100,100:40": one to 100 handles, in any order.
std::vector<AlphaText> ParseAlphas(const std::string &text);

/// The instance's editor record, read from and written to the bytes of its ArbData handle.
ArbData ReadEditorRecord(host::Instance &instance);
void WriteEditorRecord(host::Instance &instance, const ArbData &record);

/// Puts the stops and handles given into the first slots, hides the rest, and brings the
/// record, the proxies of the current stop and handle, and the one-time slot hiding in line.
void ApplyGradient(host::Instance &instance, const std::optional<std::vector<StopText>> &stops,
                   const std::optional<std::vector<AlphaText>> &alphas);

}  // namespace huewarp::tool

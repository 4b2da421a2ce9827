// Parameters as the user names them: by the name the effect declared and with values written as
// the host shows them (popup texts, degrees, on/off, #rrggbb, plain numbers). Parsing checks
// the declared range and choices, so the effect only ever receives values its host could send.
#pragma once

#include <string>
#include <vector>

#include "AE_Effect.h"
#include "host/instance/instance.h"
#include "host/instance/param_stream.h"

namespace huewarp::tool {

/// The items of a popup in host numbering (from 1); separators "(-" keep their number.
std::vector<std::string> PopupChoices(const PF_ParamDef &def);
/// The type as `info` prints it ("popup", "float slider", ...).
std::string TypeName(const PF_ParamDef &def);

/// `text` as a value of the parameter; throws ToolError saying what is wrong with it and, for
/// popups and ranges, what would be right. The message does not repeat the parameter's name.
host::ParamValue ParseValue(const PF_ParamDef &def, const std::string &text);
/// A value in the form ParseValue reads (colours that are not 8-bit print as four floats).
std::string FormatValue(const PF_ParamDef &def, const host::ParamValue &value);
/// The value the parameter was declared with.
host::ParamValue DeclaredValue(const PF_ParamDef &def);
/// What the parameter accepts, for messages and `info` ("0.01 to 20", "on or off", ...).
std::string AcceptedValues(const PF_ParamDef &def);

/// Number parsing shared by the options: the whole text must be the number.
bool ParseDouble(const std::string &text, double *value);
bool ParseInt(const std::string &text, long long *value);

/// The instance's parameters by declared name.
class ParamNames {
 public:
  explicit ParamNames(const host::Instance &instance);
  /// The index of the value-carrying parameter called exactly `name`; throws ToolError naming
  /// it (and a near match, if any) when there is none.
  PF_ParamIndex Find(const std::string &name) const;
  const PF_ParamDef &def(PF_ParamIndex index) const { return defs_.at(index); }
  /// Quoted parameter name for messages.
  std::string Name(PF_ParamIndex index) const;

 private:
  std::vector<PF_ParamDef> defs_;
};

}  // namespace huewarp::tool

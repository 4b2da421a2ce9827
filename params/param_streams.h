// Parameter streams through the AEGP layer: the hidden flag that tells which slots are in use.
// Every operation takes the command's running error and does nothing once it is set.
#pragma once

#include "AE_GeneralPlug.h"
#include "shell/suites.h"

namespace huewarp {

/// What every stream operation of one command needs: the suites it acquires on first use, the
/// effect's AEGP plug-in id and its AEGP reference for this instance.
struct StreamAccess {
  SuiteCache &suites;
  AEGP_PluginID plugin_id;
  AEGP_EffectRefH effect;
};

/// Whether the parameter's stream carries the hidden flag. Answers false without asking when
/// `err` is already set; host errors go into `err`. The stream is disposed on every path.
bool IsParamStreamHidden(const StreamAccess &access, PF_ParamIndex index, PF_Err &err);

}  // namespace huewarp

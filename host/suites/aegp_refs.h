// AEGP references the host hands to the effect: the effect's own reference and parameter stream
// references. Both belong to the command that made them and are freed when it ends; a stream
// must be disposed by the effect before that, or the ledger reports it.
#pragma once

#include "AE_GeneralPlug.h"
#include "host/core/command_context.h"

namespace huewarp::host {

AEGP_EffectRefH NewEffectRef(CommandContext &command, Instance *instance);
/// The instance behind an effect reference; null for one the host does not know.
Instance *InstanceOfEffectRef(AEGP_EffectRefH effect);

struct StreamRefInfo {
  Instance *instance = nullptr;
  PF_ParamIndex index = 0;
};

AEGP_StreamRefH NewStreamRef(CommandContext &command, Instance *instance, PF_ParamIndex index);
/// What a live stream reference points at; false for an unknown or disposed one.
bool LookUpStreamRef(AEGP_StreamRefH stream, StreamRefInfo *info);
/// Forgets a stream reference; false when it was unknown or already disposed.
bool DisposeStreamRef(AEGP_StreamRefH stream);
/// The name the ledger knows a stream by.
std::string StreamName(AEGP_StreamRefH stream);

}  // namespace huewarp::host

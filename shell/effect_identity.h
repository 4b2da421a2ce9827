// The effect's names, version and capability flags as typed constants, from the one header the
// property list resource reads too.
#pragma once

#include <cstdint>

#include "AE_Effect.h"
#include "resources/plugin_identity.h"

namespace huewarp {

inline constexpr const char *kEffectName = HUEWARP_NAME;
inline constexpr const char *kMatchName = HUEWARP_MATCH_NAME;
inline constexpr const char *kCategory = HUEWARP_CATEGORY;
inline constexpr const char *kEntryPointName = HUEWARP_ENTRY_POINT;
inline constexpr A_long kEffectKind = 'eFKT';
inline constexpr A_u_long kEffectVersion = HUEWARP_PACKED_VERSION;
inline constexpr PF_OutFlags kOutFlags = HUEWARP_OUT_FLAGS;
inline constexpr PF_OutFlags2 kOutFlags2 = HUEWARP_OUT_FLAGS2;
/// The application identifier of Premiere Pro, where the effect does less.
inline constexpr A_long kPremiereApplId = 'PrMr';

static_assert(kEffectVersion == PF_VERSION(HUEWARP_VERSION_MAJOR, HUEWARP_VERSION_MINOR,
                                           HUEWARP_VERSION_BUGFIX, PF_Stage_DEVELOP,
                                           HUEWARP_VERSION_BUILD));
static_assert(kOutFlags ==
              (PF_OutFlag_USE_OUTPUT_EXTENT | PF_OutFlag_PIX_INDEPENDENT | PF_OutFlag_CUSTOM_UI |
               PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_SEND_UPDATE_PARAMS_UI));
static_assert(kOutFlags2 == (PF_OutFlag2_SUPPORTS_SMART_RENDER | PF_OutFlag2_FLOAT_COLOR_AWARE |
                             PF_OutFlag2_SUPPORTS_THREADED_RENDERING));

inline bool IsPremiere(const PF_InData *in_data) { return in_data->appl_id == kPremiereApplId; }

}  // namespace huewarp

// The Effect Controls panel of one instance as far as the effect can drive it: the definitions
// it asked the panel to show (PF_UpdateParamUI) and its requests to refresh the whole panel
// (PF_OutFlag_REFRESH_UI). Nothing is drawn; tests read what was asked, in order.
#pragma once

#include <mutex>
#include <vector>

#include "AE_Effect.h"

namespace huewarp::host {

class ControlsPanel {
 public:
  /// One PF_UpdateParamUI: the parameter and the flags of the definition the effect passed.
  struct Update {
    PF_ParamIndex index;
    PF_ParamFlags flags;
  };

  void NoteUpdate(PF_ParamIndex index, PF_ParamFlags flags);
  void NoteRefresh();

  std::vector<Update> Updates() const;
  int Refreshes() const;
  /// Forgets what was asked so far.
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::vector<Update> updates_;
  int refreshes_ = 0;
};

}  // namespace huewarp::host

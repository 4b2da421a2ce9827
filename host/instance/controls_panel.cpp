#include "host/instance/controls_panel.h"

namespace huewarp::host {

void ControlsPanel::NoteUpdate(PF_ParamIndex index, PF_ParamFlags flags) {
  std::lock_guard lock(mutex_);
  updates_.push_back({index, flags});
}

void ControlsPanel::NoteRefresh() {
  std::lock_guard lock(mutex_);
  ++refreshes_;
}

std::vector<ControlsPanel::Update> ControlsPanel::Updates() const {
  std::lock_guard lock(mutex_);
  return updates_;
}

int ControlsPanel::Refreshes() const {
  std::lock_guard lock(mutex_);
  return refreshes_;
}

void ControlsPanel::Clear() {
  std::lock_guard lock(mutex_);
  updates_.clear();
  refreshes_ = 0;
}

}  // namespace huewarp::host

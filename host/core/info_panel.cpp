#include "host/core/info_panel.h"

namespace huewarp::host {

void InfoPanel::DrawText(const char *line1, const char *line2) {
  std::lock_guard lock(mutex_);
  history_.push_back({line1 ? line1 : "", line2 ? line2 : ""});
}

InfoLines InfoPanel::Lines() const {
  std::lock_guard lock(mutex_);
  return history_.empty() ? InfoLines{} : history_.back();
}

std::vector<InfoLines> InfoPanel::History() const {
  std::lock_guard lock(mutex_);
  return history_;
}

}  // namespace huewarp::host

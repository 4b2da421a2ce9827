// A named undo group of the host's AEGP utility suite, held for a scope so that the host's
// history is never left open: once the group was opened it is closed on every path, a failure
// inside it or a thrown suite failure included.
#pragma once

#include "AE_Effect.h"
#include "shell/suites.h"

namespace huewarp {

class UndoGroup {
 public:
  /// Opens the group only while `err` is 0, and stores the host's answer in it.
  UndoGroup(SuiteCache &suites, const char *name, PF_Err &err) : suites_(suites) {
    if (err) return;
    err = suites_.Utility()->AEGP_StartUndoGroup(name);
    open_ = !err;
  }
  ~UndoGroup() { End(); }
  UndoGroup(const UndoGroup &) = delete;
  UndoGroup &operator=(const UndoGroup &) = delete;

  /// Closes the group now; 0 when it was not open. The caller keeps the error only when none
  /// came before, so a group is closed after a failure too.
  PF_Err End() {
    if (!open_) return PF_Err_NONE;
    open_ = false;
    return suites_.Utility()->AEGP_EndUndoGroup();
  }

 private:
  SuiteCache &suites_;
  bool open_ = false;
};

}  // namespace huewarp

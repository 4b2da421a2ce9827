// The undo history of one effect instance, as a host keeps it: named steps of changes to
// parameter values, dynamic stream flags and arbitrary-data records, each remembered by the
// state it replaced, so that undo and redo restore every touched item exactly.
//
// A step is opened and closed explicitly (a user action, an undo group); steps opened inside an
// open step join it, and only the outermost name counts. The instance reports a change only while
// a step is open; changes made with no step open (setting up, loading a project, undo itself, an
// effect's change marked not undoable) are not recorded. User-interface thread only.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "AE_Effect.h"
#include "AE_GeneralPlug.h"
#include "host/instance/arbitrary_records.h"
#include "host/instance/param_stream.h"

namespace huewarp::host {

/// What the history needs of an instance: reading and restoring values, flags and records.
/// Restoring reports to the history like any change, which keeps nothing while no step is open.
class UndoTarget {
 public:
  virtual std::optional<ParamStream> Stream(PF_ParamIndex index) const = 0;
  virtual PF_Err SetStream(PF_ParamIndex index, ParamStream stream) = 0;
  virtual AEGP_DynStreamFlags DynamicStreamFlags(PF_ParamIndex index) const = 0;
  virtual PF_Err SetDynamicStreamFlag(PF_ParamIndex index, AEGP_DynStreamFlags flag, bool on) = 0;
  virtual ArbitraryRecords &Records() = 0;

 protected:
  ~UndoTarget() = default;
};

class UndoStack final : public RecordHistory {
 public:
  explicit UndoStack(UndoTarget &target) : target_(target) {}
  /// Gives the kept records back through the effect, so the instance must still be whole.
  ~UndoStack();
  UndoStack(const UndoStack &) = delete;
  UndoStack &operator=(const UndoStack &) = delete;

  /// A step the host opens around a user action that the effect may name itself (a gesture in
  /// a custom control) is opened with `yields_name`: the first undo group the effect opens inside
  /// it gives the step its name.
  void BeginUndoStep(std::string_view name, bool yields_name = false);
  /// An undo group the effect opened (AEGP_StartUndoGroup): a step like any other, closed with
  /// EndUndoStep, that names an open step which yields its name.
  void BeginUndoGroup(std::string_view name);
  /// Closes the innermost open step; a step that recorded nothing leaves no trace. A close
  /// without an open step is ignored.
  void EndUndoStep();
  bool StepOpen() const;

  /// Undoes the latest step (nothing to undo: 0). Refused with PF_Err_INVALID_CALLBACK while a
  /// step is open; a record that cannot be copied for redo leaves everything as it was.
  PF_Err Undo();
  /// Redoes the latest undone step; a new recorded change forgets the undone steps.
  PF_Err Redo();
  /// Names of the steps that can be undone and redone, oldest first.
  std::vector<std::string> UndoNames() const;
  std::vector<std::string> RedoNames() const;
  /// Forgets every step.
  void Clear();

  // The instance reports each change before making it, with the state being replaced; the first
  // report of an item in a step is the one kept. Ignored while no step is open.

  void NoteValue(PF_ParamIndex index, ParamStream before);
  void NoteFlags(PF_ParamIndex index, AEGP_DynStreamFlags before);
  /// Takes the record the parameter held (the old value handle, or a copy made before the
  /// effect changed the value in place).
  void NoteRecord(PF_ParamIndex index, ArbHandle before) override;

 private:
  struct Entry {
    enum class Kind { kValue, kFlags, kRecord } kind;
    PF_ParamIndex index;
    std::optional<ParamStream> stream;
    AEGP_DynStreamFlags flags = 0;
    ArbHandle record;
  };
  struct Step {
    std::string name;
    std::vector<Entry> entries;
    bool yields_name = false;
  };

  /// Adds an entry to the open step unless the item is already in it; an entry not kept is
  /// handed back, so that its record can be disposed of.
  std::optional<Entry> Keep(Entry entry);
  /// Swaps the saved state of each entry with the instance's current one; undo walks the step
  /// backwards, redo forwards.
  PF_Err Swap(Step &step, bool backwards);
  /// Records dropped while a command runs are disposed of once it has returned: disposing sends
  /// the effect a command of its own.
  void Discard(std::vector<Step> steps);
  void Discard(ArbHandle record);
  void FreeDiscarded();

  UndoTarget &target_;
  mutable std::mutex mutex_;
  int depth_ = 0;
  Step open_;
  std::vector<Step> undo_;
  std::vector<Step> redo_;
  std::vector<ArbHandle> discarded_;
};

}  // namespace huewarp::host

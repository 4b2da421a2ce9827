#include "host/instance/undo.h"

#include <algorithm>
#include <utility>

#include "host/core/command_context.h"

namespace huewarp::host {

UndoStack::~UndoStack() {
  // Records go back through the effect, and the instance's own teardown disposes of none of ours.
  Clear();
  discarded_.clear();
}

void UndoStack::BeginUndoStep(std::string_view name, bool yields_name) {
  FreeDiscarded();
  std::lock_guard lock(mutex_);
  if (depth_++ == 0) open_ = Step{std::string(name), {}, yields_name};
}

void UndoStack::BeginUndoGroup(std::string_view name) {
  FreeDiscarded();
  std::lock_guard lock(mutex_);
  if (depth_++ == 0) {
    open_ = Step{std::string(name), {}};
  } else if (open_.yields_name) {
    open_.name = name;
    open_.yields_name = false;
  }
}

void UndoStack::EndUndoStep() {
  std::vector<Step> forgotten;
  {
    std::lock_guard lock(mutex_);
    if (depth_ == 0 || --depth_ > 0) return;
    Step step = std::exchange(open_, Step{});
    if (step.entries.empty()) return;
    undo_.push_back(std::move(step));
    forgotten.swap(redo_);
  }
  Discard(std::move(forgotten));
}

bool UndoStack::StepOpen() const {
  std::lock_guard lock(mutex_);
  return depth_ > 0;
}

std::optional<UndoStack::Entry> UndoStack::Keep(Entry entry) {
  std::lock_guard lock(mutex_);
  if (depth_ == 0) return entry;
  const bool seen = std::any_of(open_.entries.begin(), open_.entries.end(), [&](const Entry &e) {
    return e.kind == entry.kind && e.index == entry.index;
  });
  if (seen) return entry;
  open_.entries.push_back(std::move(entry));
  return std::nullopt;
}

void UndoStack::NoteValue(PF_ParamIndex index, ParamStream before) {
  Keep(Entry{Entry::Kind::kValue, index, std::move(before), 0, {}});
}

void UndoStack::NoteFlags(PF_ParamIndex index, AEGP_DynStreamFlags before) {
  Keep(Entry{Entry::Kind::kFlags, index, std::nullopt, before, {}});
}

void UndoStack::NoteRecord(PF_ParamIndex index, ArbHandle before) {
  std::optional<Entry> refused =
      Keep(Entry{Entry::Kind::kRecord, index, std::nullopt, 0, std::move(before)});
  if (refused) Discard(std::move(refused->record));
}

PF_Err UndoStack::Swap(Step &step, bool backwards) {
  // Copies first, so a failed copy changes nothing.
  std::vector<ArbHandle> current(step.entries.size());
  for (std::size_t i = 0; i < step.entries.size(); ++i) {
    const Entry &entry = step.entries[i];
    if (entry.kind != Entry::Kind::kRecord) continue;
    ArbitraryRecords &records = target_.Records();
    if (PF_ArbitraryH now = records.Value(entry.index)) {
      if (const PF_Err err = records.Copy(entry.index, now, &current[i])) return err;
    }
  }
  const std::size_t n = step.entries.size();
  for (std::size_t k = 0; k < n; ++k) {
    const std::size_t i = backwards ? n - 1 - k : k;
    Entry &entry = step.entries[i];
    switch (entry.kind) {
      case Entry::Kind::kValue: {
        std::optional<ParamStream> now = target_.Stream(entry.index);
        target_.SetStream(entry.index, std::move(*entry.stream));
        entry.stream = std::move(now);
        break;
      }
      case Entry::Kind::kFlags: {
        const AEGP_DynStreamFlags now = target_.DynamicStreamFlags(entry.index);
        target_.SetDynamicStreamFlag(entry.index, ~entry.flags, false);
        target_.SetDynamicStreamFlag(entry.index, entry.flags, true);
        entry.flags = now;
        break;
      }
      case Entry::Kind::kRecord:
        target_.Records().Replace(entry.index, std::move(entry.record));
        entry.record = std::move(current[i]);
        break;
    }
  }
  return PF_Err_NONE;
}

PF_Err UndoStack::Undo() {
  FreeDiscarded();
  Step step;
  {
    std::lock_guard lock(mutex_);
    if (depth_ > 0) return PF_Err_INVALID_CALLBACK;
    if (undo_.empty()) return PF_Err_NONE;
    step = std::move(undo_.back());
    undo_.pop_back();
  }
  const PF_Err err = Swap(step, true);
  std::lock_guard lock(mutex_);
  (err ? undo_ : redo_).push_back(std::move(step));
  return err;
}

PF_Err UndoStack::Redo() {
  FreeDiscarded();
  Step step;
  {
    std::lock_guard lock(mutex_);
    if (depth_ > 0) return PF_Err_INVALID_CALLBACK;
    if (redo_.empty()) return PF_Err_NONE;
    step = std::move(redo_.back());
    redo_.pop_back();
  }
  const PF_Err err = Swap(step, false);
  std::lock_guard lock(mutex_);
  (err ? redo_ : undo_).push_back(std::move(step));
  return err;
}

std::vector<std::string> UndoStack::UndoNames() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> names;
  for (const Step &step : undo_) names.push_back(step.name);
  return names;
}

std::vector<std::string> UndoStack::RedoNames() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> names;
  for (auto it = redo_.rbegin(); it != redo_.rend(); ++it) names.push_back(it->name);
  return names;
}

void UndoStack::Clear() {
  std::vector<Step> forgotten;
  {
    std::lock_guard lock(mutex_);
    forgotten.swap(undo_);
    for (Step &step : redo_) forgotten.push_back(std::move(step));
    redo_.clear();
    if (depth_ > 0) forgotten.push_back(std::exchange(open_, Step{open_.name, {}}));
  }
  Discard(std::move(forgotten));
}

void UndoStack::Discard(std::vector<Step> steps) {
  {
    std::lock_guard lock(mutex_);
    for (Step &step : steps) {
      for (Entry &entry : step.entries) {
        if (entry.record) discarded_.push_back(std::move(entry.record));
      }
    }
  }
  FreeDiscarded();
}

void UndoStack::Discard(ArbHandle record) {
  {
    std::lock_guard lock(mutex_);
    if (record) discarded_.push_back(std::move(record));
  }
  FreeDiscarded();
}

void UndoStack::FreeDiscarded() {
  if (CurrentCommand()) return;
  std::vector<ArbHandle> records;
  {
    std::lock_guard lock(mutex_);
    records.swap(discarded_);
  }
  records.clear();  // each disposal is a command of its own, so outside the lock
}

}  // namespace huewarp::host

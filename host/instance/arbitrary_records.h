// The records of an instance's arbitrary-data parameters, which the host holds but creates,
// copies, flattens, compares, prints and disposes of only by asking the effect: each request is
// a PF_Cmd_ARBITRARY_CALLBACK carrying the parameter's arbitrary id and the refcon it declared.
//
// Indices are parameter indices (0 is the input layer); the service keeps one slot per
// parameter, in step with the instance. Records handed back to a caller are the caller's.
// Values may be read on several threads at once; requests to the effect are made on one thread.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "AE_Effect.h"
#include "host/core/host.h"

namespace huewarp::host {

class ArbitraryRecords;

/// The id and refcon a parameter declared, which every request about its records carries.
struct ArbTarget {
  A_short id = 0;
  void *refcon = nullptr;
};

/// A record held by the host. Dropping it disposes of it through the effect
/// (PF_Arbitrary_DISPOSE_FUNC), and the host frees it itself if the effect did not; so it must
/// be dropped before the records service that made it.
class ArbHandle {
 public:
  ArbHandle() = default;
  ArbHandle(ArbitraryRecords *owner, ArbTarget target, PF_ArbitraryH handle)
      : owner_(owner), target_(target), handle_(handle) {}
  ~ArbHandle() { Reset(); }
  ArbHandle(ArbHandle &&other) noexcept { *this = std::move(other); }
  ArbHandle &operator=(ArbHandle &&other) noexcept;
  ArbHandle(const ArbHandle &) = delete;
  ArbHandle &operator=(const ArbHandle &) = delete;

  PF_ArbitraryH get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  /// Gives up ownership without disposing.
  PF_ArbitraryH Release();
  /// Disposes of the record now.
  void Reset();

 private:
  ArbitraryRecords *owner_ = nullptr;
  ArbTarget target_;
  PF_ArbitraryH handle_ = nullptr;
};

/// Where a replaced value goes: the undo history keeps it while a step is open.
class RecordHistory {
 public:
  virtual void NoteRecord(PF_ParamIndex index, ArbHandle before) = 0;

 protected:
  ~RecordHistory() = default;
};

class ArbitraryRecords {
 public:
  /// Sends one PF_Cmd_ARBITRARY_CALLBACK on behalf of the instance.
  using Sender = std::function<CommandResult(PF_ArbParamsExtra &request)>;

  ArbitraryRecords(Host &host, RecordHistory &history, Sender send);
  ArbitraryRecords(const ArbitraryRecords &) = delete;
  ArbitraryRecords &operator=(const ArbitraryRecords &) = delete;

  // Slots, kept in step with the instance's parameters.

  /// A slot for the next parameter. With `adopt`, the default and value handles of an accepted
  /// definition are the host's from now on.
  void Add(const PF_ParamDef &def, bool adopt);
  /// Drops the slots from `count` on, disposing of their records in index order, each value
  /// before its default. Disposing sends commands, so no lock is held meanwhile.
  void Truncate(std::size_t count);
  /// The record the parameter declared as its default (null when it has none).
  PF_ArbitraryH Default(PF_ParamIndex index) const;
  /// Gives every slot copies of the default and value of the same slot of `source` (COPY_FUNC),
  /// as duplicating an instance does; the first error stops it.
  PF_Err CopyFrom(const ArbitraryRecords &source);

  // Values.

  /// The record that is the parameter's current value (null when it has none).
  PF_ArbitraryH Value(PF_ParamIndex index) const;
  /// Makes `value` the parameter's value; the old record goes to the history, which keeps it in
  /// an open undo step or disposes of it.
  PF_Err Replace(PF_ParamIndex index, ArbHandle value);

  // Requests to the effect.

  /// A new default record (PF_Arbitrary_NEW_FUNC).
  PF_Err New(PF_ParamIndex index, ArbHandle *out);
  /// A copy of `source`, as duplicating an instance or keeping an undo step does (COPY_FUNC).
  PF_Err Copy(PF_ParamIndex index, PF_ArbitraryH source, ArbHandle *out);
  /// The stored form of a record: the flat size first (FLAT_SIZE_FUNC), then a buffer of that
  /// size filled by FLATTEN_FUNC.
  PF_Err Flatten(PF_ParamIndex index, PF_ArbitraryH record, std::vector<std::uint8_t> *bytes);
  /// A record from its stored form (UNFLATTEN_FUNC).
  PF_Err Unflatten(PF_ParamIndex index, std::span<const std::uint8_t> bytes, ArbHandle *out);
  /// Whether two records differ, which decides whether a change happened (COMPARE_FUNC).
  PF_Err Compare(PF_ParamIndex index, PF_ArbitraryH a, PF_ArbitraryH b,
                 PF_ArbCompareResult *result);
  /// The text the host shows for a record: PRINT_SIZE_FUNC, then PRINT_FUNC into that size.
  PF_Err Print(PF_ParamIndex index, PF_ArbitraryH record, PF_ArbPrintFlags flags,
               std::string *text);
  /// A record from text the user typed (SCAN_FUNC); `out` stays empty if the effect makes none.
  PF_Err Scan(PF_ParamIndex index, std::string_view text, ArbHandle *out);
  /// Disposes of a record through the effect (DISPOSE_FUNC); frees it if the effect did not.
  PF_Err Dispose(PF_ParamIndex index, PF_ArbitraryH record);
  /// A request for `which` about parameter `index`, with its id and refcon filled in.
  PF_ArbParamsExtra Request(PF_ParamIndex index, PF_FunctionSelector which) const;
  /// Sends one request as it is.
  CommandResult Send(PF_ArbParamsExtra &request);

 private:
  friend class ArbHandle;

  struct Slot {
    bool arbitrary = false;
    ArbTarget target;
    // Dropped value first, then default, as a parameter gives them up.
    ArbHandle dephault;
    ArbHandle value;
  };

  /// The target of a parameter; empty for a bad index or a parameter without records.
  ArbTarget Target(PF_ParamIndex index) const;
  static PF_ArbParamsExtra RequestFor(ArbTarget target, PF_FunctionSelector which);
  PF_Err DisposeRecord(ArbTarget target, PF_ArbitraryH record);

  Host &host_;
  RecordHistory &history_;
  Sender send_;
  mutable std::mutex mutex_;
  std::vector<Slot> slots_;
};

}  // namespace huewarp::host

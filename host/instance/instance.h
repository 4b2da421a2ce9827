// One effect instance as a host keeps it: the parameters the effect declared, each parameter's
// value stream and dynamic stream flags, the records of its arbitrary-data parameters (a service
// of their own), its undo history and what its Effect Controls panel was asked to show.
//
// Indices are parameter indices (0 is the input layer). Times are ticks of the instance's time
// scale unless a StreamTime says otherwise. Reading values and checkouts may happen on several
// render threads at once; declaring and changing parameters happens on one user-interface thread
// at a time. An instance must be destroyed before its host; it disposes of its records through
// the effect on the way.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <shared_mutex>
#include <string>
#include <vector>

#include "AE_Effect.h"
#include "AE_EffectUI.h"
#include "AE_GeneralPlug.h"
#include "host/core/host.h"
#include "host/instance/arbitrary_records.h"
#include "host/instance/controls_panel.h"
#include "host/instance/param_stream.h"
#include "host/instance/undo.h"

namespace huewarp::host {

/// The parameter array one command receives; index 0 is the input layer. The effect may write
/// values and change flags into it, which the host reads back after the command. Move-only, so
/// the pointers handed to the effect stay valid.
class ParamArray {
 public:
  explicit ParamArray(std::vector<PF_ParamDef> defs);
  ParamArray(ParamArray &&) = default;
  ParamArray &operator=(ParamArray &&) = default;
  ParamArray(const ParamArray &) = delete;
  ParamArray &operator=(const ParamArray &) = delete;

  PF_ParamDef **data() { return pointers_.data(); }
  PF_ParamDef &operator[](PF_ParamIndex index) { return defs_.at(index); }
  int size() const { return static_cast<int>(defs_.size()); }

 private:
  std::vector<PF_ParamDef> defs_;
  std::vector<PF_ParamDef *> pointers_;
};

class Instance final : public UndoTarget {
 public:
  /// An instance of the effect loaded in `host`, which must have had its global setup.
  explicit Instance(Host &host);
  ~Instance();
  Instance(const Instance &) = delete;
  Instance &operator=(const Instance &) = delete;

  Host &host() const { return host_; }

  // Declaration.

  /// Sends PF_Cmd_PARAMS_SETUP, which declares the parameters, then gives every arbitrary-data
  /// parameter its value as a copy of its declared default (PF_Arbitrary_COPY_FUNC). The result
  /// is the effect's answer to the setup; when that is 0, `err` is the first copy error.
  CommandResult Setup();
  /// Parameters held, the input layer included.
  int ParamCount() const;
  /// What the effect reported in `num_params`.
  A_long DeclaredParamCount() const;
  /// A parameter's definition as declared (its value fields hold the declared values). Throws
  /// std::out_of_range for a bad index.
  PF_ParamDef Definition(PF_ParamIndex index) const;
  /// The index of the parameter with identifier `id`, or -1.
  PF_ParamIndex IndexOfId(A_long id) const;
  /// The custom UI the effect registered, if it did.
  std::optional<PF_CustomUIInfo> CustomUi() const;

  // Values. Every value-carrying parameter (sliders, angles, popups, checkboxes, colours) has a
  // stream; setters answer 513 for a bad index and 516 for a parameter without a stream or a
  // value of the wrong kind. Every setter of values, flags and records reports the change to the
  // undo history, which keeps it while an undo step is open.

  A_u_long time_scale() const { return time_scale_; }
  bool HasStream(PF_ParamIndex index) const { return Stream(index).has_value(); }
  /// A copy of the stream; empty for a bad index or a parameter without one.
  std::optional<ParamStream> Stream(PF_ParamIndex index) const override;
  PF_Err SetStream(PF_ParamIndex index, ParamStream stream) override;
  /// Sets the value of a stream without keyframes; refused (516) once it has keyframes.
  PF_Err SetValue(PF_ParamIndex index, ParamValue value);
  /// Adds or replaces a keyframe; refused (516) for parameters that cannot vary in time.
  PF_Err AddKeyframe(PF_ParamIndex index, A_long time, ParamValue value);
  /// Throws std::out_of_range for a parameter without a stream.
  ParamValue ValueAt(PF_ParamIndex index, StreamTime time) const;
  ParamValue ValueAt(PF_ParamIndex index, A_long time) const {
    return ValueAt(index, StreamTime{time, time_scale_});
  }
  /// Every parameter with its value at `time`, as commands receive them.
  ParamArray Params(A_long time) const;

  // Dynamic stream flags (AEGP_DynStreamFlag_*), kept per parameter and saved with projects.

  AEGP_DynStreamFlags DynamicStreamFlags(PF_ParamIndex index) const override;
  PF_Err SetDynamicStreamFlag(PF_ParamIndex index, AEGP_DynStreamFlags flag, bool on) override;
  bool IsHidden(PF_ParamIndex index) const {
    return DynamicStreamFlags(index) & AEGP_DynStreamFlag_HIDDEN;
  }

  // Lifecycle and commands.

  /// A second instance with the same definitions, streams and flags, and copies of every
  /// record (COPY_FUNC), as duplicating an effect does. On error `*copy` stays empty.
  PF_Err Duplicate(std::unique_ptr<Instance> *copy);
  /// Sends a command on behalf of this instance at `time` (ticks of the time scale).
  CommandResult Send(PF_Cmd cmd, ParamArray *params, void *extra = nullptr, A_long time = 0,
                     PF_LayerDef *output = nullptr);

  // The host's callbacks land here (through the interaction callbacks of PF_InData).

  /// add_param: accepted only while parameters are being declared, appended in order.
  PF_Err AddParam(PF_ParamIndex index, const PF_ParamDef &def);
  /// register_ui: accepted only while parameters are being declared.
  PF_Err RegisterUi(const PF_CustomUIInfo &info);
  /// checkout_param: the definition with the value at `time`.
  PF_Err Checkout(PF_ParamIndex index, StreamTime time, PF_ParamDef *param) const;
  void NoteCheckin() { ++checkins_; }
  /// AEGP_SetStreamValue: the value of a stream without keyframes (516 once it has some). Always
  /// undoable: it joins the open undo step or makes a step of its own.
  PF_Err SetValueFromEffect(PF_ParamIndex index, ParamValue value);
  /// AEGP_SetDynamicStreamFlag; `undoable` changes can be undone by the user (as with values),
  /// the others are never recorded.
  PF_Err SetDynamicStreamFlagFromEffect(PF_ParamIndex index, AEGP_DynStreamFlags flag, bool on,
                                        bool undoable);
  /// Checkouts and check-ins so far; effects need not check in, so the two may differ.
  int Checkouts() const { return checkouts_; }
  int Checkins() const { return checkins_; }

  // The records of arbitrary-data parameters, what the user can undo, and what the Effect
  // Controls panel was asked to show.

  ArbitraryRecords &Records() override { return records_; }
  const ArbitraryRecords &Records() const { return records_; }
  UndoStack &History() { return *history_; }
  ControlsPanel &Panel() { return panel_; }

 private:
  struct Param;
  /// The stream of a parameter for writing, or the error a setter answers.
  PF_Err WritableStream(PF_ParamIndex index, ParamValue::Kind kind, ParamStream **stream);
  /// Sets or clears a flag, handing the flags it replaced to `*before` when given.
  PF_Err ChangeDynamicStreamFlag(PF_ParamIndex index, AEGP_DynStreamFlags flag, bool on,
                                 AEGP_DynStreamFlags *before);
  /// Runs `change` inside an undo step named after the parameter (joining an open one).
  template <class Change>
  PF_Err InUndoStep(PF_ParamIndex index, Change change);

  Host &host_;
  A_u_long time_scale_ = 30;
  mutable std::shared_mutex mutex_;
  std::vector<std::unique_ptr<Param>> params_;
  std::optional<PF_CustomUIInfo> custom_ui_;
  A_long declared_num_params_ = 0;
  std::atomic<bool> declaring_ = false;
  mutable std::atomic<int> checkouts_ = 0;
  std::atomic<int> checkins_ = 0;
  std::unique_ptr<UndoStack> history_;
  ArbitraryRecords records_;
  ControlsPanel panel_;
};

}  // namespace huewarp::host

// Fuzz target fuzz_gestures: what a user does in the gradient editor and the Effect Controls
// panel, in any order, through the simulated host: clicks on markers, buttons and anywhere else,
// drags, lock switches, edits of the proxies and of the slots, undos and redos.
//
// After every step a frame renders, the ledger balances (a violation aborts), and while every
// change has reached the effect the editor is one a user can work with: each slot count is the
// highest slot of its kind that is shown, at least one colour stop and one alpha handle are
// shown, and the current stop and handle are shown ones. An undo on its own ends those checks:
// the slots a lock switch shows and hides are not undoable, so undoing the switch gives back
// the record and the lock but not the slots. An undo followed by a redo must give back exactly
// the state before it. When the input ends the instance's records are all given back.
//
// Input, per step: u8 action, then the action's own fields.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "fuzz_input.h"
#include "host_session.h"
#include "host/ui/events.h"
#include "host/render/frame.h"
#include "host/ui/gestures.h"
#include "host/instance/instance.h"
#include "host/instance/supervision.h"
#include "host/instance/undo.h"
#include "host/render/world.h"
#include "params/arb_data.h"
#include "core/param_layout.h"

namespace huewarp::fuzz {
namespace {

using host::ParamValue;

constexpr int kMaxSteps = 24;
constexpr PF_Rect kFrame{40, 100, 340, 380};

PF_Point At(int dh, int dv) { return {kFrame.left + dh, kFrame.top + dv}; }

struct Session {
  host::Host host{HUEWARP_MODULE_PATH};
  host::World input{5, 4, host::Depth::k8};
  host::World output{5, 4, host::Depth::k8};
  /// An instance after its first draw, which hides the slots the default gradient does not use;
  /// each input starts from a duplicate of it.
  std::unique_ptr<host::Instance> drawn;
};

// Made on first use and never destroyed, so the module stays loaded for the whole process.
Session &TheSession() {
  static Session *const session = [] {
    auto *s = new Session;
    PrepareHost(s->host);
    s->drawn = std::make_unique<host::Instance>(s->host);
    Require(s->drawn->Setup().err == PF_Err_NONE, "parameter setup failed");
    Require(host::SendEvent(*s->drawn, host::DrawEvent(kFrame)).command.err == PF_Err_NONE,
            "the first draw failed");
    s->drawn->History().Clear();
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 5; ++x) {
        s->input.SetFloat(x, y, {1 - 0.2f * y, 0.25f * x, 0.3f * y, 1 - 0.2f * x});
      }
    }
    return s;
  }();
  return *session;
}

class Run {
 public:
  Run(Session &s, FuzzInput &in) : s_(s), in_(in) {
    Require(s.drawn->Duplicate(&instance_) == PF_Err_NONE, "duplicating the instance failed");
    Check();
  }

  void Step() {
    switch (in_.Take<std::uint8_t>() % 11) {
      case 0:
        ClickMarker(ColorSlotIndex, PositionSlotIndex, 40);
        break;
      case 1:
        ClickMarker(AlphaValueSlotIndex, AlphaPositionSlotIndex, 83);
        break;
      case 2:
        Click(ButtonAt(in_.Take<std::uint8_t>()));
        break;
      case 3:
        Click(At(in_.Take<std::uint16_t>() % 320 - 10, in_.Take<std::uint16_t>() % 300 - 10));
        break;
      case 4:
        SwitchLock();
        break;
      case 5:
        EditProxy();
        break;
      case 6:
        EditSlot();
        break;
      case 7:
        if (in_.Take<std::uint8_t>() & 1) {
          UndoAndRedo();
        } else {
          Require(instance_->History().Undo() == PF_Err_NONE, "undo failed");
          reconciled_ = false;
        }
        break;
      case 8:
        Require(instance_->History().Redo() == PF_Err_NONE, "redo failed");
        reconciled_ = false;
        break;
      case 9:
        Set(kInputRangeOffsetIndex, ParamValue::Float(in_.Take<std::int16_t>() / 16.0));
        break;
      default:
        Require(host::SendEvent(*instance_, host::DrawEvent(kFrame)).command.err == PF_Err_NONE,
                "a draw failed");
        break;
    }
    Check();
  }

 private:
  ArbData Record() {
    ArbData record;
    std::memcpy(&record, s_.host.Handles().Data(instance_->Records().Value(kArbDataIndex)),
                sizeof record);
    return record;
  }

  bool Shown(PF_ParamIndex index) { return !instance_->IsHidden(index); }

  /// The highest slot whose `index` parameter is shown; 0 when none is.
  int HighestShown(PF_ParamIndex (*index)(int)) {
    for (int n = kMaxSlots; n >= 1; --n) {
      if (Shown(index(n))) return n;
    }
    return 0;
  }

  /// A shown slot of a kind, chosen by the input.
  int PickShown(PF_ParamIndex (*index)(int)) {
    std::vector<int> shown;
    for (int n = 1; n <= kMaxSlots; ++n) {
      if (Shown(index(n))) shown.push_back(n);
    }
    return shown.empty() ? 1 : shown[in_.Take<std::uint8_t>() % shown.size()];
  }

  /// Drag points below the click, the last one the release; most gestures have none.
  std::vector<PF_Point> Drags(PF_Point from) {
    std::vector<PF_Point> drags(in_.Take<std::uint8_t>() % 4);
    for (PF_Point &p : drags) p = {from.h, from.v + in_.Take<std::int8_t>()};
    return drags;
  }

  void Click(PF_Point point) {
    host::Gesture gesture = host::ClickAt(kFrame, point, Drags(point));
    // Draws are most of the time of a gesture and read what the click left; one action draws.
    gesture.redraw = false;
    const host::GestureResult r = host::PerformGesture(*instance_, gesture);
    Require(r.err == PF_Err_NONE, "a gesture failed");
  }

  /// A click in the box of a shown marker: its offset from the position rounded to whole percent.
  void ClickMarker(PF_ParamIndex (*shown)(int), PF_ParamIndex (*position)(int), int dh) {
    const int n = PickShown(shown);
    const double percent = std::round(instance_->ValueAt(position(n), 0).AsFloat());
    Click(At(dh, static_cast<int>(std::lround(2.7 * percent)) + 5));
  }

  static PF_Point ButtonAt(std::uint8_t which) {
    switch (which % 4) {
      case 0:
        return At(20, 70);  // colour +
      case 1:
        return At(20, 91);  // colour -
      case 2:
        return At(105, 70);  // alpha +
      default:
        return At(105, 91);  // alpha -
    }
  }

  /// The user's change as the panel makes it; values the parameter refuses change nothing.
  void Set(PF_ParamIndex index, ParamValue value) {
    const host::UserChange change = host::UserSetsValue(*instance_, index, value);
    Require(!change.sent || change.command.err == PF_Err_NONE, "a user change failed");
  }

  void SwitchLock() {
    Set(kLockAlphaHandlesIndex,
        ParamValue::Int(!instance_->ValueAt(kLockAlphaHandlesIndex, 0).AsInt()));
  }

  ParamValue Percent() { return ParamValue::Float(in_.Take<std::uint8_t>() % 101); }
  ParamValue Color() {
    const auto rgb = in_.TakeBytes(3);
    PF_Pixel pixel{255, 0, 0, 0};
    if (rgb.size() == 3) pixel = {255, rgb[0], rgb[1], rgb[2]};
    return ParamValue::Color(pixel);
  }

  void EditProxy() {
    switch (in_.Take<std::uint8_t>() % 4) {
      case 0:
        Set(kColorIndex, Color());
        break;
      case 1:
        Set(kPositionIndex, Percent());
        break;
      case 2:
        if (Shown(kAlphaPositionIndex)) Set(kAlphaPositionIndex, Percent());
        break;
      default:
        Set(kAlphaValueIndex, Percent());
        break;
    }
  }

  /// Only shown slots: the panel offers no hidden parameter to edit.
  void EditSlot() {
    switch (in_.Take<std::uint8_t>() % 4) {
      case 0:
        Set(ColorSlotIndex(PickShown(ColorSlotIndex)), Color());
        break;
      case 1:
        Set(PositionSlotIndex(PickShown(ColorSlotIndex)), Percent());
        break;
      case 2:
        Set(AlphaPositionSlotIndex(PickShown(AlphaValueSlotIndex)), Percent());
        break;
      default:
        Set(AlphaValueSlotIndex(PickShown(AlphaValueSlotIndex)), Percent());
        break;
    }
  }

  /// Everything an undo step can hold: values, dynamic flags and the record.
  struct Snapshot {
    std::vector<AEGP_DynStreamFlags> flags;
    std::vector<ParamValue> values;
    std::vector<std::uint8_t> record;
    bool operator==(const Snapshot &) const = default;
  };
  Snapshot Snap() {
    Snapshot snap;
    for (PF_ParamIndex i = 1; i < instance_->ParamCount(); ++i) {
      snap.flags.push_back(instance_->DynamicStreamFlags(i));
      if (instance_->HasStream(i)) snap.values.push_back(instance_->ValueAt(i, 0));
    }
    const auto bytes = s_.host.Handles().Bytes(instance_->Records().Value(kArbDataIndex));
    snap.record.assign(bytes.begin(), bytes.end());
    return snap;
  }

  void UndoAndRedo() {
    host::UndoStack &history = instance_->History();
    if (history.UndoNames().empty()) return;
    const Snapshot before = Snap();
    Require(history.Undo() == PF_Err_NONE, "undo failed");
    Require(history.Redo() == PF_Err_NONE, "redo failed");
    Require(Snap() == before, "an undo and a redo did not give back the state");
  }

  void Check() {
    const host::FrameResult frame = host::RenderFrame(
        s_.host, {.instance = instance_.get(), .input = &s_.input, .output = &s_.output});
    Require(frame.err == PF_Err_NONE, "a frame did not render");
    if (!reconciled_) return;
    const ArbData r = Record();
    const int colors = HighestShown(ColorSlotIndex);
    const int alphas = HighestShown(AlphaValueSlotIndex);
    Require(colors >= 1, "no colour stop is left");
    Require(alphas >= 1, "no alpha handle is left");
    Require(r.color_slots_used == colors, "the colour slot count is not the highest shown slot");
    Require(r.alpha_slots_used == alphas, "the alpha slot count is not the highest shown slot");
    Require(r.current_handle >= 1 && r.current_handle <= kMaxSlots &&
                Shown(ColorSlotIndex(r.current_handle)),
            "the current colour stop is not shown");
    Require(r.current_alpha_handle >= 1 && r.current_alpha_handle <= kMaxSlots &&
                Shown(AlphaValueSlotIndex(r.current_alpha_handle)),
            "the current alpha handle is not shown");
  }

  Session &s_;
  FuzzInput &in_;
  std::unique_ptr<host::Instance> instance_;
  /// Whether every change so far went through the effect (no undo or redo on its own).
  bool reconciled_ = true;
};

}  // namespace
}  // namespace huewarp::fuzz

// libFuzzer calls this before it lists the instrumented modules, so the effect module is loaded
// by then and its coverage counts.
extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  huewarp::fuzz::TheSession();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  using namespace huewarp::fuzz;
  return RunInput(TheSession(), data, size, kMaxSteps, &Run::Step);
}

#include "host/instance/instance.h"

#include <mutex>
#include <stdexcept>
#include <utility>

namespace huewarp::host {

struct Instance::Param {
  /// As declared, except that its text pointers point at `text`.
  PF_ParamDef def{};
  /// Popup choices or checkbox comment; the effect's own strings may not outlive the command.
  std::string text;
  std::optional<ParamStream> stream;
  AEGP_DynStreamFlags dyn_flags = 0;

  void AdoptText(const char *source) {
    text = source ? source : "";
    if (def.param_type == PF_Param_POPUP) def.u.pd.u.namesptr = text.c_str();
    if (def.param_type == PF_Param_CHECKBOX) def.u.bd.u.nameptr = text.c_str();
  }
};

namespace {

void PutValue(PF_ParamDef &def, const ParamValue &value) {
  switch (def.param_type) {
    case PF_Param_FLOAT_SLIDER:
      def.u.fs_d.value = value.AsFloat();
      break;
    case PF_Param_ANGLE:
      def.u.ad.value = value.AsAngle();
      break;
    case PF_Param_POPUP:
      def.u.pd.value = value.AsInt();
      break;
    case PF_Param_CHECKBOX:
      def.u.bd.value = value.AsInt();
      break;
    case PF_Param_COLOR:
      def.u.cd.value = value.AsColor8();
      StampFloatColor(def, value.AsColorFloat());
      break;
    default:
      break;
  }
}

const char *DeclaredText(const PF_ParamDef &def) {
  if (def.param_type == PF_Param_POPUP) return def.u.pd.u.namesptr;
  if (def.param_type == PF_Param_CHECKBOX) return def.u.bd.u.nameptr;
  return nullptr;
}

}  // namespace

ParamArray::ParamArray(std::vector<PF_ParamDef> defs) : defs_(std::move(defs)) {
  for (PF_ParamDef &def : defs_) pointers_.push_back(&def);
}

Instance::Instance(Host &host)
    : host_(host),
      history_(std::make_unique<UndoStack>(*this)),
      records_(host, *history_, [this](PF_ArbParamsExtra &request) {
        return Send(PF_Cmd_ARBITRARY_CALLBACK, nullptr, &request);
      }) {
  auto layer = std::make_unique<Param>();
  layer->def.param_type = PF_Param_LAYER;
  records_.Add(layer->def, false);
  params_.push_back(std::move(layer));
}

Instance::~Instance() {
  history_.reset();  // its records go back through the effect while the instance is whole
  {
    std::unique_lock lock(mutex_);
    params_.clear();
  }
  // Records go back through the effect, outside the lock: disposing sends a command.
  records_.Truncate(0);
}

CommandResult Instance::Setup() {
  history_->Clear();
  std::vector<std::unique_ptr<Param>> old;
  {
    std::unique_lock lock(mutex_);
    old.swap(params_);
    params_.push_back(std::move(old.front()));  // the input layer stays
    custom_ui_.reset();
    declared_num_params_ = 0;
  }
  records_.Truncate(1);  // disposing of records sends commands, so not under the lock

  ParamArray params = Params(0);
  declaring_ = true;
  CommandResult result = Send(PF_Cmd_PARAMS_SETUP, &params);
  declaring_ = false;
  {
    std::unique_lock lock(mutex_);
    declared_num_params_ = result.out.num_params;
  }
  if (result.err) return result;

  // A new instance starts from what the effect declared as its default record.
  for (PF_ParamIndex i = 0; i < ParamCount(); ++i) {
    const PF_ArbitraryH dephault = records_.Default(i);
    if (!dephault) continue;
    ArbHandle value;
    if (const PF_Err err = records_.Copy(i, dephault, &value)) {
      result.err = err;
      break;
    }
    records_.Replace(i, std::move(value));
  }
  return result;
}

int Instance::ParamCount() const {
  std::shared_lock lock(mutex_);
  return static_cast<int>(params_.size());
}

A_long Instance::DeclaredParamCount() const {
  std::shared_lock lock(mutex_);
  return declared_num_params_;
}

PF_ParamDef Instance::Definition(PF_ParamIndex index) const {
  std::shared_lock lock(mutex_);
  return params_.at(index)->def;
}

PF_ParamIndex Instance::IndexOfId(A_long id) const {
  std::shared_lock lock(mutex_);
  // Index 0 is the layer, which has no identifier of its own.
  for (std::size_t i = 1; i < params_.size(); ++i) {
    if (params_[i]->def.uu.id == id) return static_cast<PF_ParamIndex>(i);
  }
  return -1;
}

std::optional<PF_CustomUIInfo> Instance::CustomUi() const {
  std::shared_lock lock(mutex_);
  return custom_ui_;
}

std::optional<ParamStream> Instance::Stream(PF_ParamIndex index) const {
  std::shared_lock lock(mutex_);
  if (index < 0 || index >= static_cast<PF_ParamIndex>(params_.size())) return std::nullopt;
  return params_[index]->stream;
}

PF_Err Instance::WritableStream(PF_ParamIndex index, ParamValue::Kind kind, ParamStream **stream) {
  if (index < 0 || index >= static_cast<PF_ParamIndex>(params_.size())) {
    return PF_Err_INVALID_INDEX;
  }
  std::optional<ParamStream> &s = params_[index]->stream;
  if (!s || s->kind() != kind) return PF_Err_BAD_CALLBACK_PARAM;
  *stream = &*s;
  return PF_Err_NONE;
}

PF_Err Instance::SetStream(PF_ParamIndex index, ParamStream stream) {
  std::optional<ParamStream> before;
  {
    std::unique_lock lock(mutex_);
    ParamStream *target = nullptr;
    if (const PF_Err err = WritableStream(index, stream.kind(), &target)) return err;
    for (const Keyframe &key : stream.keyframes()) {
      if (key.value.kind() != stream.kind()) return PF_Err_BAD_CALLBACK_PARAM;
    }
    const bool can_vary = !(params_[index]->def.flags & PF_ParamFlag_CANNOT_TIME_VARY);
    if (!stream.keyframes().empty() && !can_vary) return PF_Err_BAD_CALLBACK_PARAM;
    before = std::exchange(*target, std::move(stream));
  }
  history_->NoteValue(index, std::move(*before));
  return PF_Err_NONE;
}

PF_Err Instance::SetValue(PF_ParamIndex index, ParamValue value) {
  std::optional<ParamStream> before;
  {
    std::unique_lock lock(mutex_);
    ParamStream *stream = nullptr;
    if (const PF_Err err = WritableStream(index, value.kind(), &stream)) return err;
    // A keyframed stream has no single value to set.
    if (!stream->keyframes().empty()) return PF_Err_BAD_CALLBACK_PARAM;
    before = *stream;
    stream->SetConstant(value);
  }
  history_->NoteValue(index, std::move(*before));
  return PF_Err_NONE;
}

PF_Err Instance::AddKeyframe(PF_ParamIndex index, A_long time, ParamValue value) {
  std::optional<ParamStream> before;
  {
    std::unique_lock lock(mutex_);
    ParamStream *stream = nullptr;
    if (const PF_Err err = WritableStream(index, value.kind(), &stream)) return err;
    if (params_[index]->def.flags & PF_ParamFlag_CANNOT_TIME_VARY) {
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    before = *stream;
    stream->SetKeyframe({time, time_scale_}, value);
  }
  history_->NoteValue(index, std::move(*before));
  return PF_Err_NONE;
}

ParamValue Instance::ValueAt(PF_ParamIndex index, StreamTime time) const {
  std::shared_lock lock(mutex_);
  const std::optional<ParamStream> &stream = params_.at(index)->stream;
  if (!stream) throw std::out_of_range("parameter " + std::to_string(index) + " has no value");
  return stream->ValueAt(time);
}

ParamArray Instance::Params(A_long time) const {
  std::shared_lock lock(mutex_);
  std::vector<PF_ParamDef> defs;
  defs.reserve(params_.size());
  for (std::size_t i = 0; i < params_.size(); ++i) {
    const Param &param = *params_[i];
    PF_ParamDef def = param.def;
    if (param.stream) PutValue(def, param.stream->ValueAt({time, time_scale_}));
    if (def.param_type == PF_Param_ARBITRARY_DATA) {
      def.u.arb_d.value = records_.Value(static_cast<PF_ParamIndex>(i));
    }
    // The effect reports its changes here.
    def.uu.change_flags = PF_ChangeFlag_NONE;
    defs.push_back(def);
  }
  return ParamArray(std::move(defs));
}

AEGP_DynStreamFlags Instance::DynamicStreamFlags(PF_ParamIndex index) const {
  std::shared_lock lock(mutex_);
  if (index < 0 || index >= static_cast<PF_ParamIndex>(params_.size())) return 0;
  return params_[index]->dyn_flags;
}

PF_Err Instance::SetDynamicStreamFlag(PF_ParamIndex index, AEGP_DynStreamFlags flag, bool on) {
  AEGP_DynStreamFlags before = 0;
  if (const PF_Err err = ChangeDynamicStreamFlag(index, flag, on, &before)) return err;
  history_->NoteFlags(index, before);
  return PF_Err_NONE;
}

PF_Err Instance::ChangeDynamicStreamFlag(PF_ParamIndex index, AEGP_DynStreamFlags flag, bool on,
                                         AEGP_DynStreamFlags *before) {
  std::unique_lock lock(mutex_);
  if (index < 0 || index >= static_cast<PF_ParamIndex>(params_.size())) {
    return PF_Err_INVALID_INDEX;
  }
  AEGP_DynStreamFlags &flags = params_[index]->dyn_flags;
  if (before) *before = flags;
  flags = on ? flags | flag : flags & ~flag;
  return PF_Err_NONE;
}

PF_Err Instance::Duplicate(std::unique_ptr<Instance> *copy) {
  copy->reset();
  auto twin = std::make_unique<Instance>(host_);
  twin->time_scale_ = time_scale_;
  {
    std::shared_lock lock(mutex_);
    twin->params_.clear();
    for (const auto &param : params_) {
      auto clone = std::make_unique<Param>();
      clone->def = param->def;
      clone->AdoptText(DeclaredText(param->def));
      clone->stream = param->stream;
      clone->dyn_flags = param->dyn_flags;
      clone->def.u.arb_d.dephault = nullptr;
      twin->params_.push_back(std::move(clone));
    }
    twin->custom_ui_ = custom_ui_;
    twin->declared_num_params_ = declared_num_params_;
  }
  twin->records_.Truncate(0);
  for (const auto &param : twin->params_) twin->records_.Add(param->def, false);
  if (const PF_Err err = twin->records_.CopyFrom(records_)) return err;
  for (PF_ParamIndex i = 0; i < static_cast<PF_ParamIndex>(twin->params_.size()); ++i) {
    if (const PF_ArbitraryH dephault = twin->records_.Default(i)) {
      twin->params_[i]->def.u.arb_d.dephault = dephault;
    }
  }
  *copy = std::move(twin);
  return PF_Err_NONE;
}

CommandResult Instance::Send(PF_Cmd cmd, ParamArray *params, void *extra, A_long time,
                             PF_LayerDef *output) {
  CommandArgs args;
  args.instance = this;
  args.params = params ? params->data() : nullptr;
  args.output = output;
  args.extra = extra;
  args.current_time = time;
  args.time_scale = time_scale_;
  args.num_params = params ? params->size() : ParamCount();
  return host_.Send(cmd, args);
}

PF_Err Instance::AddParam(PF_ParamIndex index, const PF_ParamDef &def) {
  if (!declaring_) return PF_Err_INVALID_CALLBACK;
  std::unique_lock lock(mutex_);
  if (index != -1 && index != static_cast<PF_ParamIndex>(params_.size())) {
    return PF_Err_INVALID_INDEX;
  }
  auto param = std::make_unique<Param>();
  param->def = def;
  param->AdoptText(DeclaredText(def));
  if (const std::optional<ParamValue> value = ValueOfDefinition(def)) param->stream.emplace(*value);
  params_.push_back(std::move(param));
  records_.Add(def, true);
  return PF_Err_NONE;
}

PF_Err Instance::RegisterUi(const PF_CustomUIInfo &info) {
  if (!declaring_) return PF_Err_INVALID_CALLBACK;
  std::unique_lock lock(mutex_);
  custom_ui_ = info;
  return PF_Err_NONE;
}

PF_Err Instance::Checkout(PF_ParamIndex index, StreamTime time, PF_ParamDef *param) const {
  std::shared_lock lock(mutex_);
  if (index < 0 || index >= static_cast<PF_ParamIndex>(params_.size())) {
    return PF_Err_INVALID_INDEX;
  }
  const Param &source = *params_[index];
  *param = source.def;
  if (source.stream) PutValue(*param, source.stream->ValueAt(time));
  if (param->param_type == PF_Param_ARBITRARY_DATA) param->u.arb_d.value = records_.Value(index);
  ++checkouts_;
  return PF_Err_NONE;
}

template <class Change>
PF_Err Instance::InUndoStep(PF_ParamIndex index, Change change) {
  std::string name;
  {
    std::shared_lock lock(mutex_);
    if (index >= 0 && index < static_cast<PF_ParamIndex>(params_.size())) {
      name = params_[index]->def.name;
    }
  }
  history_->BeginUndoStep(name);
  const PF_Err err = change();
  history_->EndUndoStep();
  return err;
}

PF_Err Instance::SetValueFromEffect(PF_ParamIndex index, ParamValue value) {
  return InUndoStep(index, [&] { return SetValue(index, value); });
}

PF_Err Instance::SetDynamicStreamFlagFromEffect(PF_ParamIndex index, AEGP_DynStreamFlags flag,
                                                bool on, bool undoable) {
  if (!undoable) return ChangeDynamicStreamFlag(index, flag, on, nullptr);
  return InUndoStep(index, [&] { return SetDynamicStreamFlag(index, flag, on); });
}

}  // namespace huewarp::host

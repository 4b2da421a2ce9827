#include "host/instance.h"

#include <mutex>
#include <stdexcept>
#include <utility>

#include "host/undo.h"

namespace huewarp::host {

struct Instance::Param {
  /// As declared, except that its text pointers point at `text`.
  PF_ParamDef def{};
  /// Popup choices or checkbox comment; the effect's own strings may not outlive the command.
  std::string text;
  std::optional<ParamStream> stream;
  AEGP_DynStreamFlags dyn_flags = 0;
  ArbHandle dephault;
  ArbHandle value;

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

ArbHandle &ArbHandle::operator=(ArbHandle &&other) noexcept {
  if (this != &other) {
    Reset();
    instance_ = other.instance_;
    arb_id_ = other.arb_id_;
    refcon_ = other.refcon_;
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

PF_ArbitraryH ArbHandle::Release() { return std::exchange(handle_, nullptr); }

void ArbHandle::Reset() {
  PF_ArbitraryH handle = std::exchange(handle_, nullptr);
  if (handle && instance_) instance_->DisposeRecord({arb_id_, refcon_}, handle);
}

ParamArray::ParamArray(std::vector<PF_ParamDef> defs) : defs_(std::move(defs)) {
  for (PF_ParamDef &def : defs_) pointers_.push_back(&def);
}

Instance::Instance(Host &host) : host_(host), history_(std::make_unique<UndoStack>(*this)) {
  auto layer = std::make_unique<Param>();
  layer->def.param_type = PF_Param_LAYER;
  params_.push_back(std::move(layer));
}

Instance::~Instance() {
  history_.reset();  // its records go back through the effect while the instance is whole
  std::vector<std::unique_ptr<Param>> params;
  {
    std::unique_lock lock(mutex_);
    params.swap(params_);
  }
  // Records go back through the effect, outside the lock: disposing sends a command.
  params.clear();
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
  old.clear();  // disposing of records sends commands, so not under the lock

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
    PF_ArbitraryH dephault = nullptr;
    {
      std::shared_lock lock(mutex_);
      dephault = params_[i]->dephault.get();
    }
    if (!dephault) continue;
    ArbHandle value;
    if (const PF_Err err = CopyArbitrary(i, dephault, &value)) {
      result.err = err;
      break;
    }
    ReplaceArbitraryValue(i, std::move(value));
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
  for (const auto &param : params_) {
    PF_ParamDef def = param->def;
    if (param->stream) PutValue(def, param->stream->ValueAt({time, time_scale_}));
    if (def.param_type == PF_Param_ARBITRARY_DATA) def.u.arb_d.value = param->value.get();
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

PF_ArbitraryH Instance::ArbitraryValue(PF_ParamIndex index) const {
  std::shared_lock lock(mutex_);
  if (index < 0 || index >= static_cast<PF_ParamIndex>(params_.size())) return nullptr;
  return params_[index]->value.get();
}

PF_Err Instance::ReplaceArbitraryValue(PF_ParamIndex index, ArbHandle value) {
  ArbHandle old;
  {
    std::unique_lock lock(mutex_);
    if (index < 0 || index >= static_cast<PF_ParamIndex>(params_.size())) {
      return PF_Err_INVALID_INDEX;
    }
    Param &param = *params_[index];
    if (param.def.param_type != PF_Param_ARBITRARY_DATA) return PF_Err_BAD_CALLBACK_PARAM;
    old = std::exchange(param.value, std::move(value));
  }
  history_->NoteRecord(index, std::move(old));
  return PF_Err_NONE;
}

Instance::ArbTarget Instance::Target(PF_ParamIndex index) const {
  std::shared_lock lock(mutex_);
  if (index < 0 || index >= static_cast<PF_ParamIndex>(params_.size())) return {};
  const PF_ParamDef &def = params_[index]->def;
  if (def.param_type != PF_Param_ARBITRARY_DATA) return {};
  return {def.u.arb_d.id, def.u.arb_d.refconPV};
}

PF_ArbParamsExtra Instance::Request(ArbTarget target, PF_FunctionSelector which) const {
  PF_ArbParamsExtra request{};
  request.which_function = which;
  request.id = target.id;
  // Every request's arguments start with the refcon.
  request.u.new_func_params.refconPV = target.refcon;
  return request;
}

PF_ArbParamsExtra Instance::ArbitraryRequest(PF_ParamIndex index, PF_FunctionSelector which) const {
  return Request(Target(index), which);
}

CommandResult Instance::SendArbitrary(PF_ArbParamsExtra &request) {
  return Send(PF_Cmd_ARBITRARY_CALLBACK, nullptr, &request);
}

PF_Err Instance::NewArbitrary(PF_ParamIndex index, ArbHandle *out) {
  const ArbTarget target = Target(index);
  PF_ArbParamsExtra request = Request(target, PF_Arbitrary_NEW_FUNC);
  PF_ArbitraryH record = nullptr;
  request.u.new_func_params.arbPH = &record;
  const PF_Err err = SendArbitrary(request).err;
  // Whatever the effect placed is the host's now, even with an error.
  *out = ArbHandle(this, target.id, target.refcon, record);
  return err;
}

PF_Err Instance::CopyArbitrary(PF_ParamIndex index, PF_ArbitraryH source, ArbHandle *out) {
  const ArbTarget target = Target(index);
  PF_ArbParamsExtra request = Request(target, PF_Arbitrary_COPY_FUNC);
  PF_ArbitraryH record = nullptr;
  request.u.copy_func_params.src_arbH = source;
  request.u.copy_func_params.dst_arbPH = &record;
  const PF_Err err = SendArbitrary(request).err;
  *out = ArbHandle(this, target.id, target.refcon, record);
  return err;
}

PF_Err Instance::FlattenArbitrary(PF_ParamIndex index, PF_ArbitraryH record,
                                  std::vector<std::uint8_t> *bytes) {
  PF_ArbParamsExtra size_request = ArbitraryRequest(index, PF_Arbitrary_FLAT_SIZE_FUNC);
  A_u_long size = 0;
  size_request.u.flat_size_func_params.arbH = record;
  size_request.u.flat_size_func_params.flat_data_sizePLu = &size;
  if (const PF_Err err = SendArbitrary(size_request).err) return err;
  bytes->assign(size, 0);
  PF_ArbParamsExtra request = ArbitraryRequest(index, PF_Arbitrary_FLATTEN_FUNC);
  request.u.flatten_func_params.arbH = record;
  request.u.flatten_func_params.buf_sizeLu = size;
  request.u.flatten_func_params.flat_dataPV = bytes->data();
  return SendArbitrary(request).err;
}

PF_Err Instance::UnflattenArbitrary(PF_ParamIndex index, std::span<const std::uint8_t> bytes,
                                    ArbHandle *out) {
  const ArbTarget target = Target(index);
  PF_ArbParamsExtra request = Request(target, PF_Arbitrary_UNFLATTEN_FUNC);
  PF_ArbitraryH record = nullptr;
  request.u.unflatten_func_params.buf_sizeLu = static_cast<A_u_long>(bytes.size());
  request.u.unflatten_func_params.flat_dataPV = bytes.data();
  request.u.unflatten_func_params.arbPH = &record;
  const PF_Err err = SendArbitrary(request).err;
  *out = ArbHandle(this, target.id, target.refcon, record);
  return err;
}

PF_Err Instance::CompareArbitrary(PF_ParamIndex index, PF_ArbitraryH a, PF_ArbitraryH b,
                                  PF_ArbCompareResult *result) {
  PF_ArbParamsExtra request = ArbitraryRequest(index, PF_Arbitrary_COMPARE_FUNC);
  request.u.compare_func_params.a_arbH = a;
  request.u.compare_func_params.b_arbH = b;
  request.u.compare_func_params.compareP = result;
  return SendArbitrary(request).err;
}

PF_Err Instance::PrintArbitrary(PF_ParamIndex index, PF_ArbitraryH record, PF_ArbPrintFlags flags,
                                std::string *text) {
  PF_ArbParamsExtra size_request = ArbitraryRequest(index, PF_Arbitrary_PRINT_SIZE_FUNC);
  A_u_long size = 0;
  size_request.u.print_size_func_params.arbH = record;
  size_request.u.print_size_func_params.print_sizePLu = &size;
  if (const PF_Err err = SendArbitrary(size_request).err) return err;
  // One byte more than offered, so an effect that fills the buffer still leaves a terminator.
  std::vector<A_char> buffer(size + 1, '\0');
  PF_ArbParamsExtra request = ArbitraryRequest(index, PF_Arbitrary_PRINT_FUNC);
  request.u.print_func_params.print_flags = flags;
  request.u.print_func_params.arbH = record;
  request.u.print_func_params.print_sizeLu = size;
  request.u.print_func_params.print_bufferPC = buffer.data();
  const PF_Err err = SendArbitrary(request).err;
  *text = buffer.data();
  return err;
}

PF_Err Instance::ScanArbitrary(PF_ParamIndex index, std::string_view text, ArbHandle *out) {
  const ArbTarget target = Target(index);
  const std::string terminated(text);
  PF_ArbParamsExtra request = Request(target, PF_Arbitrary_SCAN_FUNC);
  PF_ArbitraryH record = nullptr;
  request.u.scan_func_params.bufPC = terminated.c_str();
  request.u.scan_func_params.bytes_to_scanLu = static_cast<A_u_long>(terminated.size());
  request.u.scan_func_params.arbPH = &record;
  const PF_Err err = SendArbitrary(request).err;
  *out = ArbHandle(this, target.id, target.refcon, record);
  return err;
}

PF_Err Instance::DisposeArbitrary(PF_ParamIndex index, PF_ArbitraryH record) {
  return DisposeRecord(Target(index), record);
}

PF_Err Instance::DisposeRecord(ArbTarget target, PF_ArbitraryH record) {
  if (!record) return PF_Err_NONE;
  PF_ArbParamsExtra request = Request(target, PF_Arbitrary_DISPOSE_FUNC);
  request.u.dispose_func_params.arbH = record;
  const PF_Err err = SendArbitrary(request).err;
  // The host does not keep what it discarded, whether or not the effect gave it back.
  if (host_.Handles().IsLive(record)) host_.Handles().Dispose(record);
  return err;
}

PF_Err Instance::Duplicate(std::unique_ptr<Instance> *copy) {
  copy->reset();
  auto twin = std::make_unique<Instance>(host_);
  twin->time_scale_ = time_scale_;
  std::vector<std::pair<PF_ArbitraryH, PF_ArbitraryH>> records;
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
      records.emplace_back(param->dephault.get(), param->value.get());
    }
    twin->custom_ui_ = custom_ui_;
    twin->declared_num_params_ = declared_num_params_;
  }
  for (PF_ParamIndex i = 0; i < static_cast<PF_ParamIndex>(records.size()); ++i) {
    const auto [dephault, value] = records[i];
    Param &param = *twin->params_[i];
    if (dephault) {
      if (const PF_Err err = twin->CopyArbitrary(i, dephault, &param.dephault)) return err;
      param.def.u.arb_d.dephault = param.dephault.get();
    }
    if (value) {
      if (const PF_Err err = twin->CopyArbitrary(i, value, &param.value)) return err;
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
  if (def.param_type == PF_Param_ARBITRARY_DATA) {
    // Handles in an accepted definition are the host's from now on.
    const PF_ArbitraryDef &arb = def.u.arb_d;
    param->dephault = ArbHandle(this, arb.id, arb.refconPV, arb.dephault);
    param->value = ArbHandle(this, arb.id, arb.refconPV, arb.value);
  }
  params_.push_back(std::move(param));
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
  if (param->param_type == PF_Param_ARBITRARY_DATA) param->u.arb_d.value = source.value.get();
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

#include "host/instance/arbitrary_records.h"

#include <utility>

namespace huewarp::host {

ArbHandle &ArbHandle::operator=(ArbHandle &&other) noexcept {
  if (this != &other) {
    Reset();
    owner_ = other.owner_;
    target_ = other.target_;
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

PF_ArbitraryH ArbHandle::Release() { return std::exchange(handle_, nullptr); }

void ArbHandle::Reset() {
  PF_ArbitraryH handle = std::exchange(handle_, nullptr);
  if (handle && owner_) owner_->DisposeRecord(target_, handle);
}

ArbitraryRecords::ArbitraryRecords(Host &host, RecordHistory &history, Sender send)
    : host_(host), history_(history), send_(std::move(send)) {}

void ArbitraryRecords::Add(const PF_ParamDef &def, bool adopt) {
  Slot slot;
  if (def.param_type == PF_Param_ARBITRARY_DATA) {
    const PF_ArbitraryDef &arb = def.u.arb_d;
    slot.arbitrary = true;
    slot.target = {arb.id, arb.refconPV};
    if (adopt) {
      slot.dephault = ArbHandle(this, slot.target, arb.dephault);
      slot.value = ArbHandle(this, slot.target, arb.value);
    }
  }
  std::lock_guard lock(mutex_);
  slots_.push_back(std::move(slot));
}

void ArbitraryRecords::Truncate(std::size_t count) {
  std::vector<Slot> dropped;
  {
    std::lock_guard lock(mutex_);
    if (count >= slots_.size()) return;
    dropped.assign(std::make_move_iterator(slots_.begin() + static_cast<std::ptrdiff_t>(count)),
                   std::make_move_iterator(slots_.end()));
    slots_.resize(count);
  }
  dropped.clear();
}

PF_ArbitraryH ArbitraryRecords::Default(PF_ParamIndex index) const {
  std::lock_guard lock(mutex_);
  if (index < 0 || index >= static_cast<PF_ParamIndex>(slots_.size())) return nullptr;
  return slots_[index].dephault.get();
}

PF_Err ArbitraryRecords::CopyFrom(const ArbitraryRecords &source) {
  std::vector<std::pair<PF_ArbitraryH, PF_ArbitraryH>> records;
  {
    std::lock_guard lock(source.mutex_);
    for (const Slot &slot : source.slots_)
      records.emplace_back(slot.dephault.get(), slot.value.get());
  }
  // Each copy is kept even with an error: whatever the effect placed is the host's now.
  auto keep = [&](PF_ParamIndex index, ArbHandle Slot::*field, ArbHandle copy) {
    std::lock_guard lock(mutex_);
    slots_.at(index).*field = std::move(copy);
  };
  for (PF_ParamIndex i = 0; i < static_cast<PF_ParamIndex>(records.size()); ++i) {
    const auto [dephault, value] = records[i];
    if (dephault) {
      ArbHandle copy;
      const PF_Err err = Copy(i, dephault, &copy);
      keep(i, &Slot::dephault, std::move(copy));
      if (err) return err;
    }
    if (value) {
      ArbHandle copy;
      const PF_Err err = Copy(i, value, &copy);
      keep(i, &Slot::value, std::move(copy));
      if (err) return err;
    }
  }
  return PF_Err_NONE;
}

PF_ArbitraryH ArbitraryRecords::Value(PF_ParamIndex index) const {
  std::lock_guard lock(mutex_);
  if (index < 0 || index >= static_cast<PF_ParamIndex>(slots_.size())) return nullptr;
  return slots_[index].value.get();
}

PF_Err ArbitraryRecords::Replace(PF_ParamIndex index, ArbHandle value) {
  ArbHandle old;
  {
    std::lock_guard lock(mutex_);
    if (index < 0 || index >= static_cast<PF_ParamIndex>(slots_.size())) {
      return PF_Err_INVALID_INDEX;
    }
    Slot &slot = slots_[index];
    if (!slot.arbitrary) return PF_Err_BAD_CALLBACK_PARAM;
    old = std::exchange(slot.value, std::move(value));
  }
  history_.NoteRecord(index, std::move(old));
  return PF_Err_NONE;
}

ArbTarget ArbitraryRecords::Target(PF_ParamIndex index) const {
  std::lock_guard lock(mutex_);
  if (index < 0 || index >= static_cast<PF_ParamIndex>(slots_.size())) return {};
  return slots_[index].target;
}

PF_ArbParamsExtra ArbitraryRecords::RequestFor(ArbTarget target, PF_FunctionSelector which) {
  PF_ArbParamsExtra request{};
  request.which_function = which;
  request.id = target.id;
  // Every request's arguments start with the refcon.
  request.u.new_func_params.refconPV = target.refcon;
  return request;
}

PF_ArbParamsExtra ArbitraryRecords::Request(PF_ParamIndex index, PF_FunctionSelector which) const {
  return RequestFor(Target(index), which);
}

CommandResult ArbitraryRecords::Send(PF_ArbParamsExtra &request) { return send_(request); }

PF_Err ArbitraryRecords::New(PF_ParamIndex index, ArbHandle *out) {
  const ArbTarget target = Target(index);
  PF_ArbParamsExtra request = RequestFor(target, PF_Arbitrary_NEW_FUNC);
  PF_ArbitraryH record = nullptr;
  request.u.new_func_params.arbPH = &record;
  const PF_Err err = Send(request).err;
  // Whatever the effect placed is the host's now, even with an error.
  *out = ArbHandle(this, target, record);
  return err;
}

PF_Err ArbitraryRecords::Copy(PF_ParamIndex index, PF_ArbitraryH source, ArbHandle *out) {
  const ArbTarget target = Target(index);
  PF_ArbParamsExtra request = RequestFor(target, PF_Arbitrary_COPY_FUNC);
  PF_ArbitraryH record = nullptr;
  request.u.copy_func_params.src_arbH = source;
  request.u.copy_func_params.dst_arbPH = &record;
  const PF_Err err = Send(request).err;
  *out = ArbHandle(this, target, record);
  return err;
}

PF_Err ArbitraryRecords::Flatten(PF_ParamIndex index, PF_ArbitraryH record,
                                 std::vector<std::uint8_t> *bytes) {
  PF_ArbParamsExtra size_request = Request(index, PF_Arbitrary_FLAT_SIZE_FUNC);
  A_u_long size = 0;
  size_request.u.flat_size_func_params.arbH = record;
  size_request.u.flat_size_func_params.flat_data_sizePLu = &size;
  if (const PF_Err err = Send(size_request).err) return err;
  bytes->assign(size, 0);
  PF_ArbParamsExtra request = Request(index, PF_Arbitrary_FLATTEN_FUNC);
  request.u.flatten_func_params.arbH = record;
  request.u.flatten_func_params.buf_sizeLu = size;
  request.u.flatten_func_params.flat_dataPV = bytes->data();
  return Send(request).err;
}

PF_Err ArbitraryRecords::Unflatten(PF_ParamIndex index, std::span<const std::uint8_t> bytes,
                                   ArbHandle *out) {
  const ArbTarget target = Target(index);
  PF_ArbParamsExtra request = RequestFor(target, PF_Arbitrary_UNFLATTEN_FUNC);
  PF_ArbitraryH record = nullptr;
  request.u.unflatten_func_params.buf_sizeLu = static_cast<A_u_long>(bytes.size());
  request.u.unflatten_func_params.flat_dataPV = bytes.data();
  request.u.unflatten_func_params.arbPH = &record;
  const PF_Err err = Send(request).err;
  *out = ArbHandle(this, target, record);
  return err;
}

PF_Err ArbitraryRecords::Compare(PF_ParamIndex index, PF_ArbitraryH a, PF_ArbitraryH b,
                                 PF_ArbCompareResult *result) {
  PF_ArbParamsExtra request = Request(index, PF_Arbitrary_COMPARE_FUNC);
  request.u.compare_func_params.a_arbH = a;
  request.u.compare_func_params.b_arbH = b;
  request.u.compare_func_params.compareP = result;
  return Send(request).err;
}

PF_Err ArbitraryRecords::Print(PF_ParamIndex index, PF_ArbitraryH record, PF_ArbPrintFlags flags,
                               std::string *text) {
  PF_ArbParamsExtra size_request = Request(index, PF_Arbitrary_PRINT_SIZE_FUNC);
  A_u_long size = 0;
  size_request.u.print_size_func_params.arbH = record;
  size_request.u.print_size_func_params.print_sizePLu = &size;
  if (const PF_Err err = Send(size_request).err) return err;
  // One byte more than offered, so an effect that fills the buffer still leaves a terminator.
  std::vector<A_char> buffer(size + 1, '\0');
  PF_ArbParamsExtra request = Request(index, PF_Arbitrary_PRINT_FUNC);
  request.u.print_func_params.print_flags = flags;
  request.u.print_func_params.arbH = record;
  request.u.print_func_params.print_sizeLu = size;
  request.u.print_func_params.print_bufferPC = buffer.data();
  const PF_Err err = Send(request).err;
  *text = buffer.data();
  return err;
}

PF_Err ArbitraryRecords::Scan(PF_ParamIndex index, std::string_view text, ArbHandle *out) {
  const ArbTarget target = Target(index);
  const std::string terminated(text);
  PF_ArbParamsExtra request = RequestFor(target, PF_Arbitrary_SCAN_FUNC);
  PF_ArbitraryH record = nullptr;
  request.u.scan_func_params.bufPC = terminated.c_str();
  request.u.scan_func_params.bytes_to_scanLu = static_cast<A_u_long>(terminated.size());
  request.u.scan_func_params.arbPH = &record;
  const PF_Err err = Send(request).err;
  *out = ArbHandle(this, target, record);
  return err;
}

PF_Err ArbitraryRecords::Dispose(PF_ParamIndex index, PF_ArbitraryH record) {
  return DisposeRecord(Target(index), record);
}

PF_Err ArbitraryRecords::DisposeRecord(ArbTarget target, PF_ArbitraryH record) {
  if (!record) return PF_Err_NONE;
  PF_ArbParamsExtra request = RequestFor(target, PF_Arbitrary_DISPOSE_FUNC);
  request.u.dispose_func_params.arbH = record;
  const PF_Err err = Send(request).err;
  // The host does not keep what it discarded, whether or not the effect gave it back.
  if (host_.Handles().IsLive(record)) host_.Handles().Dispose(record);
  return err;
}

}  // namespace huewarp::host

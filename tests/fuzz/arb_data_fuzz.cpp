// Fuzz target fuzz_arb_data: the host's arbitrary-data requests about the ArbData record, with
// arbitrary bytes, sizes, print flags, refcons and injected host failures, sent through
// EffectMain by the simulated host. One host and one instance serve the whole process.
//
// Each input is a short sequence of requests. After every request the effect must not have
// crashed, its result must be one it may give (0, 4, 512, 514, 516) and the ledger must balance
// (a violation aborts). Without an injected failure the answer must be the exact one: records
// made, copied and unflattened byte for byte, buffers written only when their size allows it and
// never past the text, everything else untouched. Buffers are heap blocks of exactly the stated
// size, so AddressSanitizer sees any overrun. When the input ends its records are disposed of and
// the host's live handle count must be back where it started.
//
// Input, per request: u8 function, u8 injected failure, u8 refcon choice (a foreign refcon
// follows as a u64), then the function's own fields.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "host_session.h"
#include "host/instance/instance.h"
#include "core/param_layout.h"

namespace huewarp::fuzz {
namespace {

using host::ArbHandle;

constexpr PF_ParamIndex kArb = kArbDataIndex;
constexpr int kMaxRequests = 16;
constexpr std::size_t kMaxRecords = 6;
constexpr A_u_long kRecordSize = 56;
constexpr A_u_long kPrintSize = 512;
// Larger stated sizes get a block this big: the effect never touches more than a record or its
// printed text, so the difference cannot hide an overrun.
constexpr A_u_long kMaxBlock = 1 << 16;

using Bytes = std::vector<std::uint8_t>;

struct Session {
  host::Host host{HUEWARP_MODULE_PATH};
  std::unique_ptr<host::Instance> instance;
  A_short arb_id = 0;
  void *refcon = nullptr;
  /// The record parameter setup declared as the default: what NEW must make.
  Bytes default_record;
};

// Made on first use and never destroyed, so the module stays loaded for the whole process.
Session &TheSession() {
  static Session *const session = [] {
    auto *s = new Session;
    PrepareHost(s->host);
    s->instance = std::make_unique<host::Instance>(s->host);
    Require(s->instance->Setup().err == PF_Err_NONE, "parameter setup failed");
    const PF_ParamDef def = s->instance->Definition(kArb);
    s->arb_id = def.u.arb_d.id;
    s->refcon = def.u.arb_d.refconPV;
    const auto bytes = s->host.Handles().Bytes(def.u.arb_d.dephault);
    s->default_record.assign(bytes.begin(), bytes.end());
    Require(s->default_record.size() == kRecordSize, "the default record is not 56 bytes");
    return s;
  }();
  return *session;
}

bool IsEffectResult(PF_Err err) {
  return err == PF_Err_NONE || err == PF_Err_OUT_OF_MEMORY ||
         err == PF_Err_INTERNAL_STRUCT_DAMAGED || err == PF_Err_UNRECOGNIZED_PARAM_TYPE ||
         err == PF_Err_BAD_CALLBACK_PARAM;
}

/// A stated buffer size, mostly the one that matters or a neighbour, and whether a buffer is
/// passed at all.
struct Size {
  A_u_long stated;
  bool buffer;
};

Size TakeSize(FuzzInput &in, A_u_long expected) {
  switch (in.Take<std::uint8_t>() % 16) {
    case 0:
    case 1:
    case 2:
    case 3:
      return {expected, true};
    case 4:
      return {expected - 1, true};
    case 5:
      return {expected + 1, true};
    case 6:
      return {0, true};
    case 7:
      return {in.Take<std::uint8_t>(), true};
    case 8:
      return {in.Take<std::uint16_t>(), true};
    case 15:
      return {in.Take<A_u_long>(), false};
    default:
      return {in.Take<A_u_long>(), true};
  }
}

/// Heap memory of exactly the stated size (at most kMaxBlock), filled with one byte.
class Block {
 public:
  Block(A_u_long stated, std::uint8_t fill)
      : size_(std::min(stated, kMaxBlock)), data_(new std::uint8_t[size_]) {
    std::memset(data_.get(), fill, size_);
  }
  std::uint8_t *data() const { return data_.get(); }
  std::size_t size() const { return size_; }
  Bytes Content() const { return {data_.get(), data_.get() + size_}; }
  /// Every byte from `from` on still holds `fill`.
  bool Untouched(std::uint8_t fill, std::size_t from = 0) const {
    for (std::size_t i = from; i < size_; ++i) {
      if (data_[i] != fill) return false;
    }
    return true;
  }

 private:
  std::size_t size_;
  std::unique_ptr<std::uint8_t[]> data_;
};

/// One input's requests and the records they made, which the host owns until the input ends.
class Run {
 public:
  Run(Session &s, FuzzInput &in) : s_(s), in_(in) {}

  void Request();

 private:
  Bytes BytesOf(PF_ArbitraryH record) const {
    const auto bytes = s_.host.Handles().Bytes(record);
    return {bytes.begin(), bytes.end()};
  }
  std::uint16_t CurrentHandle(PF_ArbitraryH record) const {
    const Bytes bytes = BytesOf(record);
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
  }
  /// A record to read: one this input made, the instance's own value, or none.
  PF_ArbitraryH PickRecord() {
    const std::size_t choice = in_.Take<std::uint8_t>() % (records_.size() + 2);
    if (choice < records_.size()) return records_[choice].get();
    return choice == records_.size() ? s_.instance->Records().Value(kArb) : nullptr;
  }
  /// Takes over a record the effect handed back, disposing of the oldest when full.
  void Keep(PF_ArbitraryH record) {
    if (!record) return;
    Require(s_.host.Handles().Size(record) == kRecordSize, "a record handed back is not 56 bytes");
    if (records_.size() == kMaxRecords) records_.erase(records_.begin());
    records_.emplace_back(&s_.instance->Records(), host::ArbTarget{s_.arb_id, s_.refcon}, record);
  }
  /// Arms at most one failure for the next request: the Nth host call of any kind fails, once
  /// or from then on, with an error or a null answer.
  void ArmFailure(std::uint8_t choice) {
    s_.host.Faults().Reset();
    if (choice < 0xC0) return;
    host::FaultRule rule;
    rule.call_number = 1 + (choice & 7);
    rule.kind = choice & 8 ? host::FaultKind::kNull : host::FaultKind::kError;
    rule.persistent = choice & 16;
    s_.host.Faults().Arm(rule);
  }
  PF_Err Send(PF_ArbParamsExtra &request) {
    const PF_Err err = s_.instance->Records().Send(request).err;
    failed_ = s_.host.Faults().Fired() > 0;
    s_.host.Faults().Reset();
    Require(IsEffectResult(err), "a result the effect never gives");
    return err;
  }

  void New(PF_ArbParamsExtra &request, bool ours);
  void Dispose(PF_ArbParamsExtra &request, bool ours);
  void Copy(PF_ArbParamsExtra &request, bool ours);
  void FlatSize(PF_ArbParamsExtra &request);
  void Flatten(PF_ArbParamsExtra &request);
  void Unflatten(PF_ArbParamsExtra &request);
  void Compare(PF_ArbParamsExtra &request);
  void PrintSize(PF_ArbParamsExtra &request, bool ours);
  void Print(PF_ArbParamsExtra &request, bool ours);
  void Scan(PF_ArbParamsExtra &request, bool ours);
  void Other(PF_ArbParamsExtra &request);

  Session &s_;
  FuzzInput &in_;
  std::vector<ArbHandle> records_;
  bool failed_ = false;
};

void Run::Request() {
  const auto function = static_cast<PF_FunctionSelector>(in_.Take<std::uint8_t>() % 11);
  const auto failure = in_.Take<std::uint8_t>();
  void *refcon = s_.refcon;
  if (in_.Take<std::uint8_t>() & 1) refcon = reinterpret_cast<void *>(in_.Take<std::uint64_t>());
  const bool ours = refcon == s_.refcon;
  PF_ArbParamsExtra request = s_.instance->Records().Request(kArb, function);
  // Every request's arguments start with the refcon.
  request.u.new_func_params.refconPV = refcon;
  ArmFailure(failure);
  switch (function) {
    case PF_Arbitrary_NEW_FUNC:
      return New(request, ours);
    case PF_Arbitrary_DISPOSE_FUNC:
      return Dispose(request, ours);
    case PF_Arbitrary_COPY_FUNC:
      return Copy(request, ours);
    case PF_Arbitrary_FLAT_SIZE_FUNC:
      return FlatSize(request);
    case PF_Arbitrary_FLATTEN_FUNC:
      return Flatten(request);
    case PF_Arbitrary_UNFLATTEN_FUNC:
      return Unflatten(request);
    case PF_Arbitrary_COMPARE_FUNC:
      return Compare(request);
    case PF_Arbitrary_PRINT_SIZE_FUNC:
      return PrintSize(request, ours);
    case PF_Arbitrary_PRINT_FUNC:
      return Print(request, ours);
    case PF_Arbitrary_SCAN_FUNC:
      return Scan(request, ours);
    default:
      return Other(request);
  }
}

void Run::New(PF_ArbParamsExtra &request, bool ours) {
  PF_ArbitraryH made = nullptr;
  request.u.new_func_params.arbPH = &made;
  const PF_Err err = Send(request);
  Keep(made);
  if (!ours)
    return Require(err == PF_Err_INTERNAL_STRUCT_DAMAGED && !made, "NEW for a foreign parameter");
  Require(made || (failed_ && err), "NEW made no record");
  Require(!made || (!err && BytesOf(made) == s_.default_record),
          "NEW made a record that is not the default");
}

void Run::Dispose(PF_ArbParamsExtra &request, bool ours) {
  const std::size_t choice = in_.Take<std::uint8_t>() % (records_.size() + 1);
  const PF_ArbitraryH record = choice < records_.size() ? records_[choice].get() : nullptr;
  request.u.dispose_func_params.arbH = record;
  const PF_Err err = Send(request);
  const bool gone = record && !s_.host.Handles().IsLive(record);
  if (gone) {
    records_[choice].Release();
    records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(choice));
  }
  if (!ours)
    return Require(err == PF_Err_INTERNAL_STRUCT_DAMAGED && !gone,
                   "DISPOSE for a foreign parameter");
  Require(err == PF_Err_NONE, "DISPOSE failed");
  Require(!record || gone, "DISPOSE left the record alive");
}

void Run::Copy(PF_ArbParamsExtra &request, bool ours) {
  const PF_ArbitraryH source = PickRecord();
  const Bytes expected = source ? BytesOf(source) : s_.default_record;
  PF_ArbitraryH made = nullptr;
  request.u.copy_func_params.src_arbH = source;
  request.u.copy_func_params.dst_arbPH = &made;
  const PF_Err err = Send(request);
  Keep(made);
  if (!ours) return Require(!err && !made, "COPY did something for a foreign parameter");
  if (!err) {
    Require(made || failed_, "COPY made no record");
    Require(!made || BytesOf(made) == expected, "COPY is not the source's bytes");
  } else {
    Require(failed_, "COPY failed without a host failure");
    Require(!made || BytesOf(made) == s_.default_record, "a failed COPY left a changed record");
  }
}

void Run::FlatSize(PF_ArbParamsExtra &request) {
  A_u_long size = 0;
  request.u.flat_size_func_params.arbH = PickRecord();
  request.u.flat_size_func_params.flat_data_sizePLu = &size;
  Require(Send(request) == PF_Err_NONE && size == kRecordSize, "FLAT_SIZE is not 56");
}

void Run::Flatten(PF_ArbParamsExtra &request) {
  const PF_ArbitraryH record = PickRecord();
  const Size size = TakeSize(in_, kRecordSize);
  const Block block(size.stated, 0x5C);
  request.u.flatten_func_params.arbH = record;
  request.u.flatten_func_params.buf_sizeLu = size.stated;
  request.u.flatten_func_params.flat_dataPV = size.buffer ? block.data() : nullptr;
  Require(Send(request) == PF_Err_NONE, "FLATTEN failed");
  if (record && size.buffer && size.stated == kRecordSize) {
    Require(block.Content() == BytesOf(record) || (failed_ && block.Untouched(0x5C)),
            "FLATTEN did not write the record's bytes");
  } else {
    Require(block.Untouched(0x5C), "FLATTEN wrote into a buffer it should have left");
  }
}

void Run::Unflatten(PF_ArbParamsExtra &request) {
  const Size size = TakeSize(in_, kRecordSize);
  const Block block(size.stated, 0);
  const auto stored = in_.TakeBytes(block.size());
  std::copy(stored.begin(), stored.end(), block.data());
  PF_ArbitraryH made = nullptr;
  request.u.unflatten_func_params.buf_sizeLu = size.stated;
  request.u.unflatten_func_params.flat_dataPV = size.buffer ? block.data() : nullptr;
  request.u.unflatten_func_params.arbPH = &made;
  const PF_Err err = Send(request);
  Keep(made);
  Require(err == PF_Err_NONE, "UNFLATTEN failed");
  if (size.stated != kRecordSize) return Require(!made, "UNFLATTEN accepted a size other than 56");
  Require(made || failed_, "UNFLATTEN made no record");
  if (made && size.buffer && !failed_) {
    Require(BytesOf(made) == block.Content(), "UNFLATTEN is not the stored bytes");
  }
}

void Run::Compare(PF_ArbParamsExtra &request) {
  const PF_ArbitraryH a = PickRecord();
  const PF_ArbitraryH b = PickRecord();
  PF_ArbCompareResult result = -1;
  request.u.compare_func_params.a_arbH = a;
  request.u.compare_func_params.b_arbH = b;
  request.u.compare_func_params.compareP = &result;
  const PF_Err err = Send(request);
  Require(err == PF_Err_NONE || (failed_ && err == PF_Err_UNRECOGNIZED_PARAM_TYPE),
          "COMPARE failed");
  Require(result == PF_ArbCompare_EQUAL || result == PF_ArbCompare_NOT_EQUAL,
          "COMPARE gave no answer");
  if (!failed_) {
    const bool differ = a && b && CurrentHandle(a) != CurrentHandle(b);
    Require(result == (differ ? PF_ArbCompare_NOT_EQUAL : PF_ArbCompare_EQUAL),
            "COMPARE does not follow current_handle");
  }
}

void Run::PrintSize(PF_ArbParamsExtra &request, bool ours) {
  A_u_long size = 0;
  request.u.print_size_func_params.arbH = PickRecord();
  request.u.print_size_func_params.print_sizePLu = &size;
  const PF_Err err = Send(request);
  if (!ours)
    return Require(err == PF_Err_UNRECOGNIZED_PARAM_TYPE, "PRINT_SIZE for a foreign parameter");
  Require(err == PF_Err_NONE && size == kPrintSize, "PRINT_SIZE is not 512");
}

void Run::Print(PF_ArbParamsExtra &request, bool ours) {
  const PF_ArbitraryH record = PickRecord();
  const auto choice = in_.Take<std::uint8_t>();
  const PF_ArbPrintFlags flags = choice < 0x80   ? PF_ArbPrint_NONE
                                 : choice < 0xC0 ? PF_ArbPrint_ABBREVIATED
                                                 : in_.Take<PF_ArbPrintFlags>();
  const Size size = TakeSize(in_, kPrintSize);
  const Block block(size.stated, 'x');
  request.u.print_func_params.print_flags = flags;
  request.u.print_func_params.arbH = record;
  request.u.print_func_params.print_sizeLu = size.stated;
  request.u.print_func_params.print_bufferPC =
      size.buffer ? reinterpret_cast<A_char *>(block.data()) : nullptr;
  const PF_Err err = Send(request);
  if (!ours) {
    return Require(err == PF_Err_UNRECOGNIZED_PARAM_TYPE && block.Untouched('x'),
                   "PRINT for a foreign parameter");
  }
  if (!record) return Require(!err && block.Untouched('x'), "PRINT without a record");
  if (failed_) return;
  Require(err == PF_Err_NONE, "PRINT failed");
  if (!size.buffer || size.stated == 0) return Require(block.Untouched('x'), "PRINT wrote nowhere");
  std::string expected;
  if (flags == PF_ArbPrint_NONE && size.stated >= kPrintSize) {
    expected = "current_handle=" + std::to_string(CurrentHandle(record)) + "\t";
  }
  const Bytes text = block.Content();
  Require(Bytes(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(expected.size())) ==
                  Bytes(expected.begin(), expected.end()) &&
              text[expected.size()] == 0,
          "PRINT gave the wrong text");
  Require(block.Untouched('x', expected.size() + 1), "PRINT wrote past its text");
}

void Run::Scan(PF_ArbParamsExtra &request, bool ours) {
  const auto text = in_.TakeBytes(in_.Take<std::uint8_t>());
  const Block block(static_cast<A_u_long>(text.size()), 0);
  std::copy(text.begin(), text.end(), block.data());
  PF_ArbitraryH made = nullptr;
  request.u.scan_func_params.bufPC = reinterpret_cast<const A_char *>(block.data());
  request.u.scan_func_params.bytes_to_scanLu = static_cast<A_u_long>(block.size());
  request.u.scan_func_params.arbPH = &made;
  const PF_Err err = Send(request);
  Keep(made);
  Require(!made, "SCAN made a record from text");
  Require(err == (ours ? PF_Err_NONE : PF_Err_UNRECOGNIZED_PARAM_TYPE), "SCAN's result");
}

/// Interpolation and selectors the host API does not define: nothing happens.
void Run::Other(PF_ArbParamsExtra &request) {
  const auto which = in_.Take<PF_FunctionSelector>();
  if (which < 0 || which > PF_Arbitrary_SCAN_FUNC) request.which_function = which;
  PF_ArbitraryH made = nullptr;
  request.u.interp_func_params.left_arbH = PickRecord();
  request.u.interp_func_params.right_arbH = PickRecord();
  request.u.interp_func_params.tF = in_.Take<double>();
  request.u.interp_func_params.interpPH = &made;
  const PF_Err err = Send(request);
  Keep(made);
  Require(err == PF_Err_NONE && !made, "an interpolation or unknown request did something");
}

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
  return RunInput(TheSession(), data, size, kMaxRequests, &Run::Request);
}

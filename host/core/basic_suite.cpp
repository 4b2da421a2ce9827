#include "host/core/basic_suite.h"

#include <string>
#include <string_view>

#include "host/core/allocation_gate.h"
#include "host/core/command_context.h"
#include "host/core/host.h"
#include "host/core/host_call.h"

namespace huewarp::host {

namespace {

constexpr SPErr kSuiteNotFound = 'S!Fd';

std::string SuiteKey(const char *name, int32 version) {
  return std::string(name ? name : "(null)") + " " + std::to_string(version);
}

SPErr AcquireSuite(const char *name, int32 version, const void **suite) {
  // The key is the host's own work, made before the gate is consulted.
  const HostCodeScope host_code;
  const std::string key = SuiteKey(name, version);
  if (suite) *suite = nullptr;
  const HostCall fault = Consult("AcquireSuite", key);
  if (fault.fail) return fault.kind == FaultKind::kError ? fault.code : kSPNoError;
  CommandContext *context = CurrentCommand();
  if (!context || !name || !suite) return kSuiteNotFound;
  const void *table = context->host->Suites().Find(name, version);
  if (!table) return kSuiteNotFound;
  *suite = table;
  context->ledger.Acquire(Resource::kSuite, key, "AcquireSuite");
  return kSPNoError;
}

SPErr ReleaseSuite(const char *name, int32 version) {
  const HostCodeScope host_code;
  const std::string key = SuiteKey(name, version);
  const HostCall fault = Consult("ReleaseSuite", key);
  // The effect has given the suite back even when the host reports an error.
  CurrentLedger().Release(Resource::kSuite, key, "ReleaseSuite");
  return fault.fail ? fault.code : kSPNoError;
}

SPBoolean IsEqual(const char *a, const char *b) {
  return a && b && std::string_view(a) == std::string_view(b);
}

SPErr AllocateBlock(size_t, void **block) {
  if (block) *block = nullptr;
  return kSuiteNotFound;
}

SPErr FreeBlock(void *) { return kSuiteNotFound; }

SPErr ReallocateBlock(void *, size_t, void **newblock) {
  if (newblock) *newblock = nullptr;
  return kSuiteNotFound;
}

SPErr Undefined() { return kSuiteNotFound; }

SPBasicSuite g_basic_suite = {AcquireSuite, ReleaseSuite,    IsEqual,  AllocateBlock,
                              FreeBlock,    ReallocateBlock, Undefined};

}  // namespace

SPBasicSuite *BasicSuite() { return &g_basic_suite; }

}  // namespace huewarp::host

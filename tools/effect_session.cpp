#include "tools/effect_session.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "tools/tool_error.h"

namespace huewarp::tool {
namespace {

std::string ExecutableDir() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : exe.parent_path().string();
}

}  // namespace

std::string ResolveModulePath(const std::string &option) {
  if (!option.empty()) return option;
  if (const char *env = std::getenv("HUEWARP_MODULE"); env && *env) return env;
  std::error_code ec;
#ifdef HUEWARP_DEFAULT_MODULE
  if (std::filesystem::exists(HUEWARP_DEFAULT_MODULE, ec)) return HUEWARP_DEFAULT_MODULE;
#endif
  std::string beside = ExecutableDir() + "/Huewarp.so";
  if (std::filesystem::exists(beside, ec)) return beside;
#ifdef HUEWARP_DEFAULT_MODULE
  return HUEWARP_DEFAULT_MODULE;  // missing: the load names it
#else
  return beside;
#endif
}

std::string DescribeError(PF_Err err) {
  const char *name = nullptr;
  switch (err) {
    case PF_Err_OUT_OF_MEMORY:
      name = "out of memory";
      break;
    case PF_Err_INTERNAL_STRUCT_DAMAGED:
      name = "internal structure damaged";
      break;
    case PF_Err_INVALID_INDEX:
      name = "invalid index";
      break;
    case PF_Err_UNRECOGNIZED_PARAM_TYPE:
      name = "unrecognized parameter type";
      break;
    case PF_Err_INVALID_CALLBACK:
      name = "invalid callback";
      break;
    case PF_Err_BAD_CALLBACK_PARAM:
      name = "bad callback parameter";
      break;
    case A_Err_MISSING_SUITE:
      name = "missing suite";
      break;
    default:
      break;
  }
  return "error " + std::to_string(err) + (name ? std::string(" (") + name + ")" : "");
}

EffectSession::EffectSession(const std::string &module_path, int iterate_threads)
    : module_path_(module_path) {
  if (access(module_path.c_str(), R_OK) != 0) {
    throw ToolError("cannot load the effect module " + Quoted(module_path) + ": " +
                    std::strerror(errno));
  }
  host::HostOptions options;
  options.iterate_threads = iterate_threads;
  try {
    host_ = std::make_unique<host::Host>(module_path, options);
  } catch (const std::runtime_error &e) {
    // The loader's text starts with the path; the message names it once.
    std::string why = e.what();
    if (const auto at = why.rfind(module_path + ": "); at != std::string::npos) {
      why = why.substr(at + module_path.size() + 2);
    }
    throw ToolError("cannot load the effect module " + Quoted(module_path) + ": " + why);
  }
  // A session may render thousands of frames; nobody reads the list of calls.
  host_->Faults().Record(false);
  // An unbalanced command is the effect's bug, not the user's; say so and go on.
  host_->SetViolationHandler([](const std::string &violation) {
    std::cerr << "huewarp: warning: host accounting: " << violation << "\n";
  });
  if (const A_Err err = host_->Register()) {
    throw ToolError("the effect module " + Quoted(module_path) +
                    " refused registration: " + DescribeError(err));
  }
  const host::CommandResult setup = host_->GlobalSetup();
  if (setup.err) throw ToolError("the effect's global setup failed: " + DescribeError(setup.err));
  module_version_ = setup.out.my_version;
}

EffectSession::~EffectSession() {
  instance_.reset();  // gives its records back through the effect before the host goes
}

host::Instance &EffectSession::NewInstance() {
  instance_.reset();
  instance_ = std::make_unique<host::Instance>(*host_);
  if (const PF_Err err = instance_->Setup().err) {
    throw ToolError("the effect's parameter setup failed: " + DescribeError(err));
  }
  return *instance_;
}

void EffectSession::ArmFault(const std::string &spec) {
  host::FaultRule rule;
  rule.match = spec;
  rule.persistent = true;
  if (const auto hash = spec.rfind('#'); hash != std::string::npos) {
    rule.match = spec.substr(0, hash);
    rule.occurrence = std::atoi(spec.c_str() + hash + 1);
    if (rule.occurrence < 1) throw ToolError("bad --fault " + Quoted(spec));
  }
  host_->Faults().Arm(rule);
}

void EffectSession::Render(const host::World &input, host::World &output, FrameTime time) {
  host::FrameRequest request;
  request.instance = instance_.get();
  request.input = &input;
  request.output = &output;
  request.time = time.value;
  request.time_step = time.step;
  request.time_scale = time.scale;
  const host::FrameResult result = host::RenderFrame(*host_, request);
  if (result.err) throw ToolError("the effect failed to render: " + DescribeError(result.err));
}

}  // namespace huewarp::tool

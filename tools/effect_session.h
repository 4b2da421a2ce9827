// The effect as the tool drives it: the module loaded into the simulated host, registered and
// globally set up, with one instance whose parameters the options then change. Every failure
// becomes a ToolError that says what the host or the effect refused.
#pragma once

#include <memory>
#include <string>

#include "host/render/frame.h"
#include "host/core/host.h"
#include "host/instance/instance.h"
#include "host/instance/param_stream.h"
#include "host/render/world.h"

namespace huewarp::tool {

/// The module to load: `--module` if given, else HUEWARP_MODULE, else the one the tool was
/// built with, else a Huewarp module beside the executable.
std::string ResolveModulePath(const std::string &option);

/// An error code of the host API with its published name, for messages.
std::string DescribeError(PF_Err err);

/// A frame time: `value` ticks of `scale` ticks per second, `step` ticks per frame.
struct FrameTime {
  A_long value = 0;
  A_long step = 1;
  A_u_long scale = 30;
};

class EffectSession {
 public:
  /// Loads and registers the module and runs global setup. `iterate_threads` is how many
  /// threads the host splits each frame over.
  EffectSession(const std::string &module_path, int iterate_threads);
  ~EffectSession();
  EffectSession(const EffectSession &) = delete;
  EffectSession &operator=(const EffectSession &) = delete;

  /// Sets up a new instance; every command afterwards goes to it.
  host::Instance &NewInstance();
  host::Instance &instance() { return *instance_; }
  host::Host &host() { return *host_; }
  const std::string &module_path() const { return module_path_; }
  /// The version the effect gave at global setup, packed as PF_VERSION packs it.
  A_u_long module_version() const { return module_version_; }

  /// Makes host operation `spec` ("name" or "name#N" for its Nth call) fail from then on.
  void ArmFault(const std::string &spec);
  /// Renders one frame of `input` into `output` (same size and depth); throws on an error.
  /// Several threads may render at once.
  void Render(const host::World &input, host::World &output, FrameTime time);

 private:
  std::string module_path_;
  A_u_long module_version_ = 0;
  std::unique_ptr<host::Host> host_;
  std::unique_ptr<host::Instance> instance_;
};

}  // namespace huewarp::tool

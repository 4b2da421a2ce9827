#include "host/core/host.h"

#include <cstring>
#include <memory>

#include "AE_EffectCB.h"
#include "host/core/allocation_gate.h"

namespace huewarp::host {
namespace {

A_Err RecordRegistration(PF_PluginDataPtr data, const A_u_char *name, const A_u_char *match_name,
                         const A_u_char *category, const A_u_char *entry_point, A_long kind,
                         A_long api_major, A_long api_minor, A_long reserved) {
  // The host hands its own record as the opaque pointer; the effect must pass it through.
  auto *record = reinterpret_cast<Registration *>(data);
  auto text = [](const A_u_char *s) {
    return s ? std::string(reinterpret_cast<const char *>(s)) : "";
  };
  ++record->calls;
  record->data = data;
  record->name = text(name);
  record->match_name = text(match_name);
  record->category = text(category);
  record->entry_point = text(entry_point);
  record->kind = kind;
  record->api_major = api_major;
  record->api_minor = api_minor;
  record->reserved = reserved;
  return A_Err_NONE;
}

}  // namespace

Host::Host(const std::string &module_path, HostOptions options, const HostTables &tables)
    : options_(options), module_(module_path), tables_(tables) {
  if (tables.register_suites) tables.register_suites(suites_);
}

Host::~Host() = default;

A_Err Host::Register(const char *host_name, const char *host_version) {
  registration_ = {};
  const EffectCodeScope effect_code;
  registration_.result =
      module_.plugin_data_entry()(reinterpret_cast<PF_PluginDataPtr>(&registration_),
                                  RecordRegistration, tables_.basic, host_name, host_version);
  return registration_.result;
}

void Host::SetViolationHandler(std::function<void(const std::string &)> handler) {
  on_violation_ = std::move(handler);
}

void Host::FillInData(CommandContext &context, const CommandArgs &args) {
  PF_InData &in = context.in_data;
  if (tables_.interact) in.inter = *tables_.interact;
  in.utils = tables_.utils;
  // The effect reference is the command itself, so callbacks find their command from it.
  in.effect_ref = reinterpret_cast<PF_ProgPtr>(&context);
  in.version.major = PF_AE_PLUG_IN_VERSION;
  in.version.minor = PF_AE_PLUG_IN_SUBVERS;
  in.appl_id = options_.appl_id;
  in.num_params = args.num_params;
  in.current_time = args.current_time;
  in.time_step = args.time_step;
  in.time_scale = args.time_scale;
  in.global_data = global_data_;
  in.pica_basicP = tables_.basic;
  in.downsample_x = {1, 1};
  in.downsample_y = {1, 1};
  in.pixel_aspect_ratio = {1, 1};
  if (args.output) {
    in.width = args.output->width;
    in.height = args.output->height;
    in.extent_hint = args.output->extent_hint;
  }
}

CommandResult Host::Send(PF_Cmd cmd, const CommandArgs &args) {
  auto context = std::make_unique<CommandContext>();
  context->host = this;
  context->instance = args.instance;
  context->frame = args.frame;
  context->cmd = cmd;
  FillInData(*context, args);

  CommandResult result;
  {
    CommandScope scope(context.get());
    const EffectCodeScope effect_code;
    result.err = module_.effect_main()(cmd, &context->in_data, &context->out_data, args.params,
                                       args.output, args.extra);
  }
  result.out = context->out_data;
  result.debug_output = std::move(context->debug_output);
  result.calls = std::move(context->calls);
  result.violations = CheckLedger(*context);
  return result;
}

std::vector<std::string> Host::CheckLedger(CommandContext &context) {
  std::vector<std::string> violations = context.ledger.TakeViolations();
  for (const auto &violation : violations) {
    if (on_violation_) on_violation_("command " + std::to_string(context.cmd) + ": " + violation);
  }
  return violations;
}

CommandResult Host::GlobalSetup() {
  CommandResult result = Send(PF_Cmd_GLOBAL_SETUP);
  if (result.out.global_data) global_data_ = result.out.global_data;
  return result;
}

}  // namespace huewarp::host

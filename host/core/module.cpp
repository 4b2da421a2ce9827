#include "host/core/module.h"

#include <map>
#include <mutex>
#include <stdexcept>
#include <string_view>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

extern "C" void HuewarpCollectDebugOutput(const char *text);

namespace huewarp::host {

#ifdef _WIN32
namespace {

// Points the module's import of OutputDebugStringA at the host's collector, so the text the
// effect sends reaches the running command instead of the system debugger.
void RedirectDebugOutput(HMODULE module, void *replacement) {
  auto *base = reinterpret_cast<BYTE *>(module);
  auto *dos = reinterpret_cast<IMAGE_DOS_HEADER *>(base);
  auto *nt = reinterpret_cast<IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY &dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!dir.VirtualAddress) return;
  for (auto *desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + dir.VirtualAddress);
       desc->Name; ++desc) {
    auto *names = reinterpret_cast<IMAGE_THUNK_DATA *>(base + desc->OriginalFirstThunk);
    auto *slots = reinterpret_cast<IMAGE_THUNK_DATA *>(base + desc->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto *import = reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData);
      if (std::string_view(reinterpret_cast<const char *>(import->Name)) != "OutputDebugStringA")
        continue;
      DWORD old = 0;
      VirtualProtect(&slots->u1.Function, sizeof(void *), PAGE_READWRITE, &old);
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&slots->u1.Function, sizeof(void *), old, &old);
    }
  }
}

}  // namespace

#endif

namespace {

struct Loaded {
  PF_FilterProc effect_main = nullptr;
  PluginDataEntryFunctionPtr plugin_data_entry = nullptr;
};

Loaded Load(const std::string &path) {
  Loaded loaded;
#ifdef _WIN32
  HMODULE module = LoadLibraryA(path.c_str());
  if (!module) throw std::runtime_error("cannot load effect module " + path);
  // Through void *: FARPROC has no parameters, and a direct cast draws -Wcast-function-type.
  loaded.effect_main = reinterpret_cast<PF_FilterProc>(
      reinterpret_cast<void *>(GetProcAddress(module, "EffectMain")));
  loaded.plugin_data_entry = reinterpret_cast<PluginDataEntryFunctionPtr>(
      reinterpret_cast<void *>(GetProcAddress(module, "PluginDataEntryFunction")));
  RedirectDebugOutput(module, reinterpret_cast<void *>(&HuewarpCollectDebugOutput));
  auto unload = [module] { FreeLibrary(module); };
#else
  void *module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) throw std::runtime_error("cannot load effect module " + path + ": " + dlerror());
  loaded.effect_main = reinterpret_cast<PF_FilterProc>(dlsym(module, "EffectMain"));
  loaded.plugin_data_entry =
      reinterpret_cast<PluginDataEntryFunctionPtr>(dlsym(module, "PluginDataEntryFunction"));
  auto unload = [module] { dlclose(module); };
#endif
  if (!loaded.effect_main || !loaded.plugin_data_entry) {
    unload();
    throw std::runtime_error(path + " does not export EffectMain and PluginDataEntryFunction");
  }
  return loaded;
}

}  // namespace

Module::Module(const std::string &path) : path_(path) {
  static std::mutex mutex;
  static std::map<std::string, Loaded> loaded;
  std::lock_guard lock(mutex);
  auto it = loaded.find(path);
  if (it == loaded.end()) it = loaded.emplace(path, Load(path)).first;
  effect_main_ = it->second.effect_main;
  plugin_data_entry_ = it->second.plugin_data_entry;
}

}  // namespace huewarp::host

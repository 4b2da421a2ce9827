// The version as the built module shows it, against project()'s: the About text and global
// setup; on Windows the property list (the whole of it, against what the module registers and
// declares) and the version resource, as the host and Explorer read them. (module_lookup.cmake
// checks `huewarp --version`.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "host/core/host.h"
#ifdef _WIN32
#include <windows.h>
#endif

namespace huewarp::testing {
namespace {

const std::string kVersion = HUEWARP_PROJECT_VERSION;

/// The version word the host reads: major, minor, bug fix, stage develop, build.
A_u_long Packed() {
  unsigned major = 0, minor = 0, bugfix = 0;
  EXPECT_EQ(std::sscanf(kVersion.c_str(), "%u.%u.%u", &major, &minor, &bugfix), 3);
  return PF_VERSION(major, minor, bugfix, PF_Stage_DEVELOP, HUEWARP_BUILD_NUMBER);
}

TEST(Version, AboutTextAndGlobalSetup) {
  host::Host host(HUEWARP_MODULE_PATH);
  ASSERT_EQ(host.Register(), 0);
  EXPECT_EQ(host.About().out.return_msg, "Huewarp v" + kVersion + "\r\nYou matter.");
  EXPECT_EQ(host.GlobalSetup().out.my_version, Packed());
}

#ifdef _WIN32
/// The property list's values by key as people write them ("eVER"): each entry is a vendor, a key
/// (both stored reversed), an id, a length and data padded to four bytes, after a 10-byte header.
std::map<std::string, std::string> PropertyList(HMODULE module) {
  HRSRC pipl = FindResourceA(module, MAKEINTRESOURCEA(16000), "PIPL");
  if (!pipl) return {};
  const auto *bytes = static_cast<const char *>(LockResource(LoadResource(module, pipl)));
  const std::string list(bytes, SizeofResource(module, pipl));
  std::map<std::string, std::string> values;
  for (std::size_t at = 10; at + 16 <= list.size();) {
    std::string key = list.substr(at + 4, 4);
    std::reverse(key.begin(), key.end());
    std::uint32_t length = 0;
    list.copy(reinterpret_cast<char *>(&length), 4, at + 12);
    values[key] = list.substr(at + 16, length);
    at += 16 + (length + 3) / 4 * 4;
  }
  return values;
}

std::string Pascal(const std::string &s) { return s.empty() ? s : s.substr(1, s[0]); }
A_u_long Word(const std::string &s) {
  A_u_long value = 0;
  s.copy(reinterpret_cast<char *>(&value), sizeof value);
  return value;
}

// What a host reads before it loads the module must agree with what the module then registers
// and declares at global setup.
TEST(Version, PropertyListAndVersionResource) {
  host::Host host(HUEWARP_MODULE_PATH);
  ASSERT_EQ(host.Register(), 0);
  const host::Registration &r = host.registration();
  const host::CommandResult setup = host.GlobalSetup();
  HMODULE module = LoadLibraryExA(HUEWARP_MODULE_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  std::map<std::string, std::string> pipl = PropertyList(module);
  FreeLibrary(module);
  EXPECT_EQ(pipl.size(), 12u);
  EXPECT_EQ(Word(pipl["eVER"]), Packed());
  EXPECT_EQ(Word(pipl["eGLO"]), setup.out.out_flags);
  EXPECT_EQ(Word(pipl["eGL2"]), setup.out.out_flags2);
  EXPECT_EQ(static_cast<int32_t>(Word(pipl["kind"])), r.kind);
  EXPECT_EQ(Pascal(pipl["name"]), r.name);
  EXPECT_EQ(Pascal(pipl["catg"]), r.category);
  EXPECT_EQ(Pascal(pipl["eMNA"]), r.match_name);
  EXPECT_EQ(pipl["8664"].c_str(), r.entry_point);
  EXPECT_EQ(Word(pipl["eSVR"]), static_cast<A_u_long>(r.api_minor << 16 | r.api_major));

  std::vector<char> info(GetFileVersionInfoSizeA(HUEWARP_MODULE_PATH, nullptr));
  ASSERT_TRUE(GetFileVersionInfoA(HUEWARP_MODULE_PATH, 0, info.size(), info.data()));
  auto query = [&](const std::string &path) {
    void *value = nullptr;
    UINT size = 0;
    return VerQueryValueA(info.data(), path.c_str(), &value, &size) ? value : nullptr;
  };
  const auto *fixed = static_cast<const VS_FIXEDFILEINFO *>(query("\\"));
  ASSERT_NE(fixed, nullptr);
  const DWORD ms = fixed->dwFileVersionMS, ls = fixed->dwFileVersionLS;
  EXPECT_EQ(PF_VERSION(ms >> 16, ms & 0xffff, ls >> 16, PF_Stage_DEVELOP, ls & 0xffff), Packed());
  EXPECT_EQ(fixed->dwProductVersionMS, ms);
  EXPECT_EQ(fixed->dwProductVersionLS, ls);
  for (const std::string name : {"FileVersion", "ProductVersion"}) {
    const auto *text = static_cast<const char *>(query("\\StringFileInfo\\040904b0\\" + name));
    EXPECT_EQ(text ? text : "", kVersion) << name;
  }
}
#endif

}  // namespace
}  // namespace huewarp::testing

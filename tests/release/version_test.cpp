// The version as the built module shows it, against project()'s: the About text and global
// setup; on Windows the property list and the version resource, as the host and Explorer read
// them. (module_lookup.cmake checks `huewarp --version`.)
#include <gtest/gtest.h>

#include <cstdio>
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
TEST(Version, PropertyListAndVersionResource) {
  HMODULE module = LoadLibraryExA(HUEWARP_MODULE_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  HRSRC pipl = FindResourceA(module, MAKEINTRESOURCEA(16000), "PIPL");
  ASSERT_NE(pipl, nullptr);
  const auto *bytes = static_cast<const char *>(LockResource(LoadResource(module, pipl)));
  const std::string list(bytes, SizeofResource(module, pipl));
  const std::size_t key = list.find("REVe");  // 'eVER' as stored; its value follows id and size
  ASSERT_NE(key, std::string::npos);
  A_u_long packed = 0;
  list.copy(reinterpret_cast<char *>(&packed), 4, key + 12);
  EXPECT_EQ(packed, Packed());
  FreeLibrary(module);

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

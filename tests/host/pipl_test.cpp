// The plug-in property list as a host reads it: out of the built DLL, through the system's
// resource functions, compared byte for byte with the layout hosts expect.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace huewarp::testing {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
static_assert(kEnglishUs == 1033);

Bytes Text(const char *s) { return Bytes(s, s + std::strlen(s)); }
Bytes operator+(Bytes a, const Bytes &b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct Property {
  const char *key;  // as written by people; stored reversed, as a little-endian 32-bit value
  uint32_t recorded_length;
  Bytes data;  // including the padding to 4 bytes
};

const Property kProperties[] = {
    {"kind", 4, Text("TKFe")},
    {"name", 8, Bytes{7} + Text("Huewarp")},
    {"catg", 12, Bytes{9} + Text("Quillmere") + Bytes{0, 0}},
    {"8664", 12, Text("EffectMain") + Bytes{0, 0}},
    {"ePVR", 4, Bytes{2, 0, 0, 0}},
    {"eSVR", 4, Bytes{13, 0, 27, 0}},
    {"eVER", 4, Bytes{0x01, 0x00, 0x08, 0x00}},
    {"eINF", 2, Bytes{0, 0, 0, 0}},
    {"eGLO", 4, Bytes{0x40, 0x84, 0x00, 0x06}},
    {"eGL2", 4, Bytes{0x00, 0x14, 0x00, 0x08}},
    {"eMNA", 20, Bytes{16} + Text("QuillmereHuewarp") + Bytes{0, 0, 0}},
    {"aeFL", 4, Bytes{0, 0, 0, 0}},
};

const Bytes kHeader = {1, 0, 0, 0, 0, 0, 12, 0, 0, 0};

Bytes LittleEndian32(uint32_t v) {
  return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

Bytes Encode(const Property &p) {
  const Bytes key(std::make_reverse_iterator(p.key + 4), std::make_reverse_iterator(p.key));
  return Text("MIB8") + key + LittleEndian32(0) + LittleEndian32(p.recorded_length) + p.data;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR out) {
  reinterpret_cast<std::vector<WORD> *>(out)->push_back(language);
  return TRUE;
}

class PiplResource : public ::testing::TestWithParam<size_t> {
 protected:
  static void SetUpTestSuite() {
    module_ = LoadLibraryExA(HUEWARP_MODULE_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << HUEWARP_MODULE_PATH << ": error " << GetLastError();
    EnumResourceLanguagesA(module_, "PIPL", MAKEINTRESOURCEA(16000), CollectLanguage,
                           reinterpret_cast<LONG_PTR>(&languages_));
    HRSRC info = FindResourceExA(module_, "PIPL", MAKEINTRESOURCEA(16000), kEnglishUs);
    ASSERT_NE(info, nullptr) << "no PIPL 16000 in language 1033";
    HGLOBAL loaded = LoadResource(module_, info);
    ASSERT_NE(loaded, nullptr);
    const auto *data = static_cast<const uint8_t *>(LockResource(loaded));
    resource_.assign(data, data + SizeofResource(module_, info));
  }
  static void TearDownTestSuite() {
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
  }

  static inline HMODULE module_ = nullptr;
  static inline std::vector<WORD> languages_;
  static inline Bytes resource_;
};

TEST_F(PiplResource, IsOneEnglishResourceOfTheExpectedSize) {
  EXPECT_EQ(languages_, std::vector<WORD>{kEnglishUs});
  size_t size = kHeader.size();
  for (const Property &p : kProperties) size += Encode(p).size();
  EXPECT_EQ(resource_.size(), size);
  ASSERT_GE(resource_.size(), kHeader.size());
  EXPECT_EQ(Bytes(resource_.begin(), resource_.begin() + kHeader.size()), kHeader);
}

TEST_P(PiplResource, PropertyBytes) {
  size_t offset = kHeader.size();
  for (size_t i = 0; i < GetParam(); ++i) offset += Encode(kProperties[i]).size();
  const Bytes expected = Encode(kProperties[GetParam()]);
  ASSERT_LE(offset + expected.size(), resource_.size());
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(resource_[offset + i], expected[i]) << "byte " << i << " at offset " << offset + i;
}

INSTANTIATE_TEST_SUITE_P(InFileOrder, PiplResource,
                         ::testing::Range<size_t>(0, std::size(kProperties)),
                         [](const auto &info) { return std::string(kProperties[info.param].key); });

}  // namespace
}  // namespace huewarp::testing

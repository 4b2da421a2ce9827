// The host's Drawbot object accounting, driven through its C tables inside a command of its own:
// each misuse is reported once, naming the object and the operation. What the recorder records
// is checked through the effect's own drawing (editor_draw_test.cpp).
#include <optional>
#include <string>
#include <vector>

#include "AE_EffectSuites.h"
#include "adobesdk/DrawbotSuite.h"
#include "host/core/basic_suite.h"
#include "host/ui/drawing.h"
#include "host_fixture.h"

namespace huewarp::testing {
namespace {

template <class Suite>
const Suite *AcquireSuite(const char *name, int32 version) {
  const void *suite = nullptr;
  host::BasicSuite()->AcquireSuite(name, version, &suite);
  return static_cast<const Suite *>(suite);
}

/// One draw event's worth of host: a command, the drawing of a control frame, the event's
/// context pointing at it, and the suites acquired and released as the effect does.
class DrawingTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    command_.host = &host();
    command_.cmd = PF_Cmd_EVENT;
    scope_.emplace(&command_);
    draw_ = AcquireSuite<DRAWBOT_DrawbotSuite1>(kDRAWBOT_DrawSuite, 1);
    supplier_ = AcquireSuite<DRAWBOT_SupplierSuite1>(kDRAWBOT_SupplierSuite, 1);
    custom_ui_ = AcquireSuite<PF_EffectCustomUISuite1>(kPFEffectCustomUISuite, 1);
    ASSERT_TRUE(draw_ && supplier_ && custom_ui_);
    DRAWBOT_DrawRef ref = nullptr;
    ASSERT_EQ(custom_ui_->PF_GetDrawingReference(&context_ptr_, &ref), 0);
    ASSERT_EQ(draw_->GetSupplier(ref, &supplier_ref_), 0);
  }

  void TearDown() override {
    EndCommand();
    scope_.reset();
  }

  /// Releases the suites as the effect does before returning and balances the command's ledger;
  /// violations go to the host's handler.
  void EndCommand() {
    auto release = [](const void *&suite, const char *name, int32 version) {
      if (suite) host::BasicSuite()->ReleaseSuite(name, version);
      suite = nullptr;
    };
    release(reinterpret_cast<const void *&>(draw_), kDRAWBOT_DrawSuite, 1);
    release(reinterpret_cast<const void *&>(supplier_), kDRAWBOT_SupplierSuite, 1);
    release(reinterpret_cast<const void *&>(custom_ui_), kPFEffectCustomUISuite, 1);
    host().CheckLedger(command_);
  }

  host::CommandContext command_;
  std::optional<host::CommandScope> scope_;
  host::Drawing drawing_{PF_LRect{10, 20, 250, 300}};
  PF_Context context_ = host::EffectWindowContext(&drawing_);
  PF_ContextPtr context_ptr_ = &context_;
  const DRAWBOT_DrawbotSuite1 *draw_ = nullptr;
  const DRAWBOT_SupplierSuite1 *supplier_ = nullptr;
  const PF_EffectCustomUISuite1 *custom_ui_ = nullptr;
  DRAWBOT_SupplierRef supplier_ref_ = nullptr;
};

// Misuses the ledger must report, each with the words that identify the object and operation.
struct MisuseCase {
  const char *label;
  void (*act)(const DRAWBOT_SupplierSuite1 &, DRAWBOT_SupplierRef);
  const char *report;
};

const DRAWBOT_ColorRGBA kWhite{1, 1, 1, 1};

const MisuseCase kMisuses[] = {
    {"LeakedPath",
     [](auto &s, auto r) {
       DRAWBOT_PathRef p;
       s.NewPath(r, &p);
     },
     "Drawbot object path #1 acquired by NewPath still held"},
    {"LeakedBrush",
     [](auto &s, auto r) {
       DRAWBOT_BrushRef b;
       s.NewBrush(r, &kWhite, &b);
     },
     "brush #1 acquired by NewBrush still held"},
    {"RetainedOnceMore",
     [](auto &s, auto r) {
       DRAWBOT_BrushRef b;
       s.NewBrush(r, &kWhite, &b);
       s.RetainObject(reinterpret_cast<DRAWBOT_ObjectRef>(b));
       s.ReleaseObject(reinterpret_cast<DRAWBOT_ObjectRef>(b));
     },
     "brush #1 acquired by RetainObject still held"},
    {"ReleasedTwice",
     [](auto &s, auto r) {
       DRAWBOT_PathRef p;
       s.NewPath(r, &p);
       s.ReleaseObject(reinterpret_cast<DRAWBOT_ObjectRef>(p));
       s.ReleaseObject(reinterpret_cast<DRAWBOT_ObjectRef>(p));
     },
     "path #1 released by ReleaseObject but not held"},
    {"SupplierReleased",
     [](auto &s, auto r) { s.ReleaseObject(reinterpret_cast<DRAWBOT_ObjectRef>(r)); },
     "supplier released by ReleaseObject but not held"},
    {"UnknownReleased",
     [](auto &s, auto) { s.ReleaseObject(reinterpret_cast<DRAWBOT_ObjectRef>(0x40)); },
     "unknown object"},
};

class DrawingMisuseTest : public DrawingTest, public ::testing::WithParamInterface<MisuseCase> {
 protected:
  std::vector<std::string> reported_;
};

TEST_P(DrawingMisuseTest, IsReportedOnceNamingObjectAndOperation) {
  host().SetViolationHandler([this](const std::string &v) { reported_.push_back(v); });
  GetParam().act(*supplier_, supplier_ref_);
  EndCommand();
  ASSERT_EQ(reported_.size(), 1u) << ::testing::PrintToString(reported_);
  EXPECT_NE(reported_[0].find(GetParam().report), std::string::npos) << reported_[0];
}

INSTANTIATE_TEST_SUITE_P(Drawing, DrawingMisuseTest, ::testing::ValuesIn(kMisuses),
                         [](const auto &info) { return std::string(info.param.label); });

}  // namespace
}  // namespace huewarp::testing

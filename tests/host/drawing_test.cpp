// The host's Drawbot suites driven through their C tables as the effect drives them, inside a
// command of their own: recorded geometry and colour, object accounting, injected faults, the
// Info panel.
#include <optional>
#include <string>
#include <vector>

#include "AE_AdvEffectSuites.h"
#include "AE_EffectSuites.h"
#include "adobesdk/DrawbotSuite.h"
#include "host/core/basic_suite.h"
#include "host/ui/drawing.h"
#include "host_fixture.h"

namespace huewarp::testing {
namespace {

using host::draw::Color;
using host::draw::Point;
using host::draw::Rect;

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
    surface_ = AcquireSuite<DRAWBOT_SurfaceSuite2>(kDRAWBOT_SurfaceSuite, 2);
    path_ = AcquireSuite<DRAWBOT_PathSuite1>(kDRAWBOT_PathSuite, 1);
    custom_ui_ = AcquireSuite<PF_EffectCustomUISuite1>(kPFEffectCustomUISuite, 1);
    ASSERT_TRUE(draw_ && supplier_ && surface_ && path_ && custom_ui_);
    DRAWBOT_DrawRef ref = nullptr;
    ASSERT_EQ(custom_ui_->PF_GetDrawingReference(&context_ptr_, &ref), 0);
    ASSERT_EQ(draw_->GetSupplier(ref, &supplier_ref_), 0);
    ASSERT_EQ(draw_->GetSurface(ref, &surface_ref_), 0);
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
    release(reinterpret_cast<const void *&>(surface_), kDRAWBOT_SurfaceSuite, 2);
    release(reinterpret_cast<const void *&>(path_), kDRAWBOT_PathSuite, 1);
    release(reinterpret_cast<const void *&>(custom_ui_), kPFEffectCustomUISuite, 1);
    host().CheckLedger(command_);
  }

  /// A filled rectangle as the effect paints one: path, brush, fill, release of both.
  SPErr FillRect(const DRAWBOT_RectF32 &rect, const DRAWBOT_ColorRGBA &color, int fill_type = 1) {
    DRAWBOT_PathRef path = nullptr;
    DRAWBOT_BrushRef brush = nullptr;
    SPErr err = supplier_->NewPath(supplier_ref_, &path);
    if (!err) err = supplier_->NewBrush(supplier_ref_, &color, &brush);
    if (!err) err = path_->AddRect(path, &rect);
    if (!err) err = surface_->FillPath(surface_ref_, brush, path, fill_type);
    if (brush) supplier_->ReleaseObject(reinterpret_cast<DRAWBOT_ObjectRef>(brush));
    if (path) supplier_->ReleaseObject(reinterpret_cast<DRAWBOT_ObjectRef>(path));
    return err;
  }

  static DRAWBOT_ObjectRef Obj(const void *ref) {
    return reinterpret_cast<DRAWBOT_ObjectRef>(const_cast<void *>(ref));
  }

  host::CommandContext command_;
  std::optional<host::CommandScope> scope_;
  host::Drawing drawing_{PF_LRect{10, 20, 250, 300}};
  PF_Context context_ = host::EffectWindowContext(&drawing_);
  PF_ContextPtr context_ptr_ = &context_;
  const DRAWBOT_DrawbotSuite1 *draw_ = nullptr;
  const DRAWBOT_SupplierSuite1 *supplier_ = nullptr;
  const DRAWBOT_SurfaceSuite2 *surface_ = nullptr;
  const DRAWBOT_PathSuite1 *path_ = nullptr;
  const PF_EffectCustomUISuite1 *custom_ui_ = nullptr;
  DRAWBOT_SupplierRef supplier_ref_ = nullptr;
  DRAWBOT_SurfaceRef surface_ref_ = nullptr;
};

TEST_F(DrawingTest, FillsAndStrokesRecordTheirShapeAsItWasWhenPainted) {
  const DRAWBOT_ColorRGBA fill{0.1538126f, 0.1538126f, 0.1538126f, 1}, line{0.546841f, 0, 1, 0.5f};
  DRAWBOT_PathRef path = nullptr, polygon = nullptr;
  DRAWBOT_BrushRef brush = nullptr;
  DRAWBOT_PenRef pen = nullptr;
  ASSERT_EQ(supplier_->NewPath(supplier_ref_, &path), 0);
  ASSERT_EQ(supplier_->NewBrush(supplier_ref_, &fill, &brush), 0);
  ASSERT_EQ(supplier_->NewPen(supplier_ref_, &line, 2.5f, &pen), 0);
  const DRAWBOT_RectF32 button{26, 85, 11, 11};
  ASSERT_EQ(path_->AddRect(path, &button), 0);
  ASSERT_EQ(surface_->FillPath(surface_ref_, brush, path, kDRAWBOT_FillType_Winding), 0);
  ASSERT_EQ(surface_->StrokePath(surface_ref_, pen, path), 0);
  // Growing the path later must not change what was already painted with it.
  const DRAWBOT_RectF32 later{0, 0, 1, 1};
  ASSERT_EQ(path_->AddRect(path, &later), 0);
  ASSERT_EQ(supplier_->NewPath(supplier_ref_, &polygon), 0);
  ASSERT_EQ(path_->MoveTo(polygon, 1, 2), 0);
  ASSERT_EQ(path_->LineTo(polygon, 5, 2), 0);
  ASSERT_EQ(path_->LineTo(polygon, 5, 6), 0);
  ASSERT_EQ(path_->Close(polygon), 0);
  ASSERT_EQ(path_->LineTo(polygon, 9, 9), 0);  // starts again where the closed one began
  ASSERT_EQ(surface_->FillPath(surface_ref_, brush, polygon, kDRAWBOT_FillType_EvenOdd), 0);
  for (const void *object :
       {(const void *)path, (const void *)polygon, (const void *)brush, (const void *)pen}) {
    EXPECT_EQ(supplier_->ReleaseObject(Obj(object)), 0);
  }

  const Color grey{0.1538126f, 0.1538126f, 0.1538126f, 1}, pen_color{0.546841f, 0, 1, 0.5f};
  const host::draw::Shape square{.rects = {Rect{26, 85, 11, 11}}};
  const host::draw::Shape polygons{
      .polygons = {{.points = {{1, 2}, {5, 2}, {5, 6}}, .closed = true},
                   {.points = {{1, 2}, {9, 9}}, .closed = false}}};
  const std::vector<host::draw::Operation> expected{
      host::draw::Fill{square, grey, kDRAWBOT_FillType_Winding},
      host::draw::Stroke{square, pen_color, 2.5f},
      host::draw::Fill{polygons, grey, kDRAWBOT_FillType_EvenOdd},
  };
  EXPECT_TRUE(drawing_.operations() == expected);
  EXPECT_EQ(drawing_.LiveObjects(), 0);
}

TEST_F(DrawingTest, StringsRecordUtf8TextFontSizeAndLayout) {
  struct Case {
    std::u16string text;
    std::string utf8;
    int alignment, truncation;
  };
  const Case cases[] = {
      {u"+", "+", kDRAWBOT_TextAlignment_Left, kDRAWBOT_TextTruncation_None},
      {u"Gr\u00fcn \u20ac", "Gr\xC3\xBCn \xE2\x82\xAC", kDRAWBOT_TextAlignment_Center,
       kDRAWBOT_TextTruncation_End},
      {u"\U0001F600", "\xF0\x9F\x98\x80", kDRAWBOT_TextAlignment_Right,
       kDRAWBOT_TextTruncation_EndEllipsis},
      {std::u16string(1, char16_t(0xD800)) + u"x", "\xEF\xBF\xBDx", 0, 0},
  };
  const DRAWBOT_ColorRGBA label{0.5647f, 0.5647f, 0.5647f, 1};
  DRAWBOT_BrushRef brush = nullptr;
  DRAWBOT_FontRef font = nullptr;
  ASSERT_EQ(supplier_->NewBrush(supplier_ref_, &label, &brush), 0);
  ASSERT_EQ(supplier_->NewDefaultFont(supplier_ref_, 12, &font), 0);
  const DRAWBOT_PointF32 origin{27.25f, 93};
  for (const Case &c : cases) {
    const auto *text = reinterpret_cast<const DRAWBOT_UTF16Char *>(c.text.c_str());
    ASSERT_EQ(surface_->DrawString(surface_ref_, brush, font, text, &origin, c.alignment,
                                   c.truncation, 40),
              0);
    EXPECT_EQ(std::get<host::draw::Text>(drawing_.operations().back()),
              (host::draw::Text{c.utf8, Point{27.25f, 93}, Color{0.5647f, 0.5647f, 0.5647f, 1}, 12,
                                c.alignment, c.truncation, 40}))
        << c.utf8;
  }
  supplier_->ReleaseObject(Obj(brush));
  supplier_->ReleaseObject(Obj(font));
}

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

TEST_F(DrawingTest, FaultedOrForeignPaintingRecordsNothing) {
  host().Faults().Arm({.match = "FillPath", .code = 13});
  EXPECT_EQ(FillRect({0, 0, 5, 5}, kWhite), 13);
  // Objects of another event's drawing are refused by this surface, and that drawing's
  // reference is refused once it is gone.
  DRAWBOT_BrushRef foreign = nullptr;
  DRAWBOT_DrawRef stale = nullptr;
  {
    host::Drawing other(PF_LRect{0, 0, 10, 10});
    stale = other.ref();
    ASSERT_EQ(supplier_->NewBrush(other.supplier(), &kWhite, &foreign), 0);
    DRAWBOT_PathRef path = nullptr;
    ASSERT_EQ(supplier_->NewPath(supplier_ref_, &path), 0);
    EXPECT_EQ(surface_->FillPath(surface_ref_, foreign, path, 1), host::kDrawbotBadRef);
    EXPECT_EQ(surface_->FillPath(other.surface(), foreign, path, 1), host::kDrawbotBadRef);
    supplier_->ReleaseObject(Obj(foreign));
    supplier_->ReleaseObject(Obj(path));
  }
  DRAWBOT_SupplierRef supplier = nullptr;
  EXPECT_EQ(draw_->GetSupplier(stale, &supplier), host::kDrawbotBadRef);
  EXPECT_EQ(supplier, nullptr);
  // Only a draw event's context carries a drawing.
  PF_Context no_draw = host::EffectWindowContext(nullptr);
  PF_ContextPtr no_draw_ptr = &no_draw;
  DRAWBOT_DrawRef ref = nullptr;
  EXPECT_EQ(custom_ui_->PF_GetDrawingReference(&no_draw_ptr, &ref), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_TRUE(drawing_.operations().empty());
}

TEST_F(DrawingTest, InfoPanelShowsTheLastLinesDrawn) {
  const auto *adv = AcquireSuite<PF_AdvAppSuite2>(kPFAdvAppSuite, kPFAdvAppSuiteVersion2);
  ASSERT_NE(adv, nullptr);
  EXPECT_EQ(adv->PF_InfoDrawText("ColorGrid - ChangeCursor Event", "Adobe Systems, Inc"), 0);
  host().Faults().Arm({.match = "PF_InfoDrawText", .code = 13});
  EXPECT_EQ(adv->PF_InfoDrawText("lost", "lost"), 13);
  EXPECT_EQ(host().Info().Lines(),
            (host::InfoLines{"ColorGrid - ChangeCursor Event", "Adobe Systems, Inc"}));
  EXPECT_EQ(adv->PF_InfoDrawText("one line", nullptr), 0);
  EXPECT_EQ(host().Info().Lines(), (host::InfoLines{"one line", ""}));
  EXPECT_EQ(host().Info().History().size(), 2u);
  host::BasicSuite()->ReleaseSuite(kPFAdvAppSuite, kPFAdvAppSuiteVersion2);
}

}  // namespace
}  // namespace huewarp::testing

// The resources of the built SetUp.exe, read back as data: dialog template 141 control by
// control, the images it refers to, the language they are marked with and the manifest.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/dialog_template.h"
#include "setup_session.h"

using namespace automation;

namespace e2e {
namespace {

const WORD kChinesePrc = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);

enum class Kind { AutoCheckBox, PushButton, CentredText, VCentredText, Text, EtchedLine, Bitmap, PathEdit, Progress };

struct ExpectedControl {
  int id;  // -1: no id
  Kind kind;
  std::string text;  // for a bitmap: "#<resource id>"
  int x, y, cx, cy;
  bool visible;
};

// Template order is tab order.
std::vector<ExpectedControl> ExpectedControls() {
  std::vector<ExpectedControl> controls;
  for (int year = 2007; year <= 2027; ++year) {
    // Three columns of seven: 2007-2013, 2014-2020, 2021-2027.
    const int column = (year - 2007) / 7, row = (year - 2007) % 7;
    controls.push_back({ReleaseBoxId(year), Kind::AutoCheckBox, "For AutoCAD" + std::to_string(year),
                        18 + 86 * column, 80 + 18 * row, 74, 10, true});
  }
  const std::vector<ExpectedControl> rest{
      {IDOK, Kind::PushButton, "安装完成", 110, 214, 63, 14, false},
      {IDCANCEL, Kind::PushButton, "取  消", 173, 262, 50, 14, true},
      {1013, Kind::CentredText, "", 86, 13, 146, 14, true},
      {-1, Kind::EtchedLine, "", 0, 206, 286, 1, true},
      {1016, Kind::VCentredText, "请选择安装组件：", 14, 62, 69, 10, true},
      {-1, Kind::EtchedLine, "", 0, 51, 286, 1, true},
      {-1, Kind::Bitmap, "#147", 32, 5, 43, 43, true},
      {1000, Kind::PathEdit, "", 13, 233, 202, 12, true},
      {1015, Kind::PushButton, "浏览...", 221, 231, 51, 13, true},
      {1014, Kind::Progress, "", 13, 236, 256, 6, false},
      {1017, Kind::Text, "请选择安装路径：", 14, 215, 71, 9, true},
      {-1, Kind::EtchedLine, "", 0, 255, 286, 1, true},
      {1022, Kind::PushButton, "安  装", 60, 263, 50, 13, true},
      {1023, Kind::CentredText, "安装完成！重启CAD，CAD菜单尾会有以下子菜单：", 47, 62, 190, 10, false},
      {1021, Kind::CentredText, "", 86, 33, 146, 14, true},
      {1024, Kind::Bitmap, "#152", 39, 78, 205, 117, false},
  };
  controls.insert(controls.end(), rest.begin(), rest.end());
  return controls;
}

// What a kind means for class and style: the type within its mask and the bits it needs; the rest
// of the style is free. No push button is the default button.
struct KindStyle {
  const char* windowClass;
  DWORD mask, type, required;
};

KindStyle StyleOf(Kind kind) {
  switch (kind) {
    case Kind::AutoCheckBox: return {"Button", BS_TYPEMASK, BS_AUTOCHECKBOX, 0};
    case Kind::PushButton: return {"Button", BS_TYPEMASK, BS_PUSHBUTTON, 0};
    case Kind::CentredText: return {"Static", SS_TYPEMASK, SS_CENTER, 0};
    case Kind::VCentredText: return {"Static", SS_TYPEMASK, SS_LEFT, SS_CENTERIMAGE};
    case Kind::Text: return {"Static", SS_TYPEMASK, SS_LEFT, 0};
    case Kind::EtchedLine: return {"Static", SS_TYPEMASK, SS_ETCHEDHORZ, 0};
    case Kind::Bitmap: return {"Static", SS_TYPEMASK, SS_BITMAP, 0};
    case Kind::PathEdit: return {"Edit", 0, 0, WS_BORDER | ES_AUTOHSCROLL};
    case Kind::Progress: return {"msctls_progress32", 0, 0, WS_BORDER};
  }
  return {"", 0, 0, 0};
}

TEST(SetupResources, DialogTemplateMatchesTheDesign) {
  DialogTemplate dialog;
  std::string error;
  std::vector<WORD> languages;
  ASSERT_TRUE(LoadDialogTemplate(SetupExePath(), 141, &dialog, &error, &languages)) << error;
  EXPECT_EQ(languages, std::vector<WORD>{kChinesePrc});

  EXPECT_EQ(dialog.title, "Tessarune安装");
  EXPECT_EQ(dialog.cx, 283);
  EXPECT_EQ(dialog.cy, 283);
  EXPECT_TRUE(dialog.hasFont);
  EXPECT_EQ(dialog.pointSize, 9);
  EXPECT_EQ(dialog.typeface, "宋体");
  EXPECT_EQ(dialog.charset, DEFAULT_CHARSET);
  const DWORD required = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME;
  EXPECT_EQ(dialog.style & required, required);
  EXPECT_FALSE(dialog.style & (WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_TRUE(dialog.exStyle & WS_EX_CLIENTEDGE);
  EXPECT_FALSE(dialog.menu.present);
  EXPECT_FALSE(dialog.windowClass.present);

  const std::vector<ExpectedControl> expected = ExpectedControls();
  ASSERT_EQ(dialog.items.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const DialogItemTemplate& item = dialog.items[i];
    const ExpectedControl& want = expected[i];
    SCOPED_TRACE("control " + std::to_string(i + 1) + ", id " + std::to_string(want.id));
    EXPECT_EQ(item.id, want.id);
    const KindStyle style = StyleOf(want.kind);
    EXPECT_STRCASEEQ(item.ClassName().c_str(), style.windowClass);
    EXPECT_EQ(item.style & style.mask, style.type);
    EXPECT_EQ(item.style & style.required, style.required);
    EXPECT_EQ(FormatTemplateName(item.title), want.text);
    EXPECT_EQ((std::vector<int>{item.x, item.y, item.cx, item.cy}), (std::vector<int>{want.x, want.y, want.cx, want.cy}));
    EXPECT_EQ((item.style & WS_VISIBLE) != 0, want.visible);
    EXPECT_FALSE(item.style & WS_DISABLED) << "the dialog disables controls itself";
  }
}

TEST(SetupResources, ImagesAndIconsExistAndAreMarkedChinese) {
  for (int bitmap : {147, 152}) {
    ResourceData resource;
    std::string error;
    ASSERT_TRUE(ReadResource(SetupExePath(), RT_BITMAP, MAKEINTRESOURCEW(bitmap), &resource, &error)) << bitmap;
    EXPECT_EQ(resource.languages, std::vector<WORD>{kChinesePrc}) << bitmap;
    EXPECT_GT(resource.bytes.size(), sizeof(BITMAPINFOHEADER)) << bitmap;
  }
  for (int icon : {1, 128}) {
    ResourceData resource;
    std::string error;
    ASSERT_TRUE(ReadResource(SetupExePath(), RT_GROUP_ICON, MAKEINTRESOURCEW(icon), &resource, &error)) << icon;
    EXPECT_EQ(resource.languages, std::vector<WORD>{kChinesePrc}) << icon;
  }
}

TEST(SetupResources, ManifestAsksForAdministratorAndKeepsClassicControls) {
  ResourceData resource;
  std::string error;
  ASSERT_TRUE(ReadResource(SetupExePath(), RT_MANIFEST, MAKEINTRESOURCEW(1), &resource, &error)) << error;
  const std::string manifest(resource.bytes.begin(), resource.bytes.end());
  EXPECT_NE(manifest.find("requireAdministrator"), std::string::npos);
  EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos);
  EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos) << "no common-controls version is requested";
}

}  // namespace
}  // namespace e2e

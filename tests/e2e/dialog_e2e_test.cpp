// The setup dialog of the real SetUp.exe, on a machine prepared in the Wine prefix: which
// releases it offers, what it shows, the Install button's rule, and leaving without installing.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "automation/actions.h"
#include "automation/capture.h"
#include "automation/file_tree.h"
#include "automation/windows.h"
#include "machine_snapshot.h"
#include "setup_session.h"
#include "simulated_machine.h"

using namespace automation;
using harness::AcadBits;
using harness::SimulatedAcad;
using harness::SimulatedMachine;
using harness::StandardAcad;

namespace e2e {
namespace {

class SetupDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    harness::ClearAcadRegistry();
    ASSERT_TRUE(DeleteFileTree(kDefaultInstallPath));
    ASSERT_TRUE(DeleteFileTree(WorkFolder()));
  }

  void TearDown() override {
    setup_.Process().TerminateIfRunning();
    machine_.Clear();
    DeleteFileTree(kDefaultInstallPath);
  }

  void Seed(const SimulatedMachine& machine) {
    machine_ = machine;
    machine_.Seed();
  }

  void StartSetup() {
    std::string error;
    ASSERT_TRUE(setup_.Start(&error)) << error;
  }

  // Every release box: enabled and ticked exactly for the years in `found`, always shown.
  void ExpectReleaseBoxes(const std::set<int>& found) {
    for (int year : AllReleaseYears()) {
      ControlInfo box = setup_.Control(ReleaseBoxId(year));
      const bool offered = found.count(year) > 0;
      EXPECT_EQ(box.text, "For AutoCAD" + std::to_string(year));
      EXPECT_TRUE(box.visible) << year;
      EXPECT_EQ(box.enabled, offered) << year;
      EXPECT_EQ(box.checked, offered ? BST_CHECKED : BST_UNCHECKED) << year;
    }
  }

  SimulatedMachine machine_;
  SetupSession setup_;
};

SimulatedMachine MachineWith(std::initializer_list<SimulatedAcad> installations) {
  SimulatedMachine machine;
  for (const SimulatedAcad& acad : installations) machine.Add(acad);
  return machine;
}

TEST_F(SetupDialog, OffersEveryDiscoveredReleaseTickedAndShowsItsLabels) {
  SimulatedAcad flavour2018 = StandardAcad(2018);
  flavour2018.productKey = "ACAD-1002:804";
  flavour2018.productName = "AutoCAD Mechanical 2018 - 简体中文";
  flavour2018.acadLocation = "C:\\Program Files\\Autodesk\\AutoCAD Mechanical 2018";
  Seed(MachineWith({StandardAcad(2007, AcadBits::Bits32), StandardAcad(2010), StandardAcad(2018), flavour2018,
                    StandardAcad(2027),
                    // 32-bit editions count only up to 2010.
                    StandardAcad(2011, AcadBits::Bits32)}));
  StartSetup();

  ExpectReleaseBoxes({2007, 2010, 2018, 2027});
  EXPECT_EQ(WindowText(setup_.Dialog()), kDialogTitle);
  EXPECT_EQ(setup_.Control(kVersionLabelId).text, "Tessarune软件 V2026.03.31");
  EXPECT_EQ(setup_.Control(kBitnessLabelId).text, "( 64位 AutoCAD版 )");
  EXPECT_EQ(setup_.Control(1016).text, "请选择安装组件：");
  EXPECT_EQ(setup_.Control(1017).text, "请选择安装路径：");

  ControlInfo path = setup_.Control(kPathId);
  EXPECT_EQ(path.text, "C:\\Quilox");
  EXPECT_TRUE(path.visible);
  EXPECT_TRUE(path.enabled);

  for (int id : {kInstallId, IDCANCEL, kBrowseId}) {
    ControlInfo button = setup_.Control(id);
    EXPECT_TRUE(button.visible) << id;
    EXPECT_TRUE(button.enabled) << id;
  }
  EXPECT_EQ(setup_.Control(kInstallId).text, "安  装");
  EXPECT_EQ(setup_.Control(IDCANCEL).text, "取  消");
  EXPECT_EQ(setup_.Control(kBrowseId).text, "浏览...");

  // Never shown: the completion button, the progress bar (until an install runs), the completion
  // text and its picture.
  for (int id : {IDOK, kProgressId, 1023, 1024}) EXPECT_FALSE(setup_.Control(id).visible) << id;
}

TEST_F(SetupDialog, InstallIsEnabledOnlyWhileABoxIsTicked) {
  Seed(MachineWith({StandardAcad(2010)}));
  StartSetup();
  ExpectReleaseBoxes({2010});
  const int box2010 = ReleaseBoxId(2010);
  EXPECT_TRUE(setup_.Control(kInstallId).enabled);

  EXPECT_EQ(ClickButton(setup_.Dialog(), box2010).result, ActionResult::Done);
  EXPECT_EQ(setup_.Control(box2010).checked, BST_UNCHECKED);
  EXPECT_FALSE(setup_.Control(kInstallId).enabled);
  EXPECT_EQ(ClickButton(setup_.Dialog(), kInstallId).result, ActionResult::Refused);

  EXPECT_EQ(ClickButton(setup_.Dialog(), box2010).result, ActionResult::Done);
  EXPECT_EQ(setup_.Control(box2010).checked, BST_CHECKED);
  EXPECT_TRUE(setup_.Control(kInstallId).enabled);

  // A release that was not found cannot be chosen.
  EXPECT_EQ(ClickButton(setup_.Dialog(), ReleaseBoxId(2008)).result, ActionResult::Refused);
  ExpectReleaseBoxes({2010});
}

TEST_F(SetupDialog, SeveralReleasesKeepInstallEnabledUntilTheLastIsUnticked) {
  Seed(MachineWith({StandardAcad(2009, AcadBits::Bits32), StandardAcad(2016), StandardAcad(2024)}));
  StartSetup();
  ExpectReleaseBoxes({2009, 2016, 2024});
  for (int year : {2016, 2009}) {
    ClickButton(setup_.Dialog(), ReleaseBoxId(year));
    EXPECT_TRUE(setup_.Control(kInstallId).enabled) << "after unticking " << year;
  }
  ClickButton(setup_.Dialog(), ReleaseBoxId(2024));
  EXPECT_FALSE(setup_.Control(kInstallId).enabled);
  ClickButton(setup_.Dialog(), ReleaseBoxId(2009));
  EXPECT_TRUE(setup_.Control(kInstallId).enabled);
  EXPECT_EQ(setup_.Control(ReleaseBoxId(2009)).checked, BST_CHECKED);
  EXPECT_EQ(setup_.Control(ReleaseBoxId(2016)).checked, BST_UNCHECKED);
}

TEST_F(SetupDialog, WithoutAutoCadNothingCanBeChosenAndCancelWritesNothing) {
  Seed(SimulatedMachine());
  const std::vector<std::string> softwareBefore = DumpAllMachineSoftware();
  const MachineSnapshot before = TakeSnapshot(machine_);
  StartSetup();

  ExpectReleaseBoxes({});
  EXPECT_FALSE(setup_.Control(kInstallId).enabled);
  EXPECT_TRUE(setup_.Control(kBrowseId).enabled);
  EXPECT_TRUE(setup_.Control(IDCANCEL).enabled);
  EXPECT_EQ(setup_.Control(kPathId).text, "C:\\Quilox");

  EXPECT_EQ(ClickButton(setup_.Dialog(), IDCANCEL).result, ActionResult::WindowClosed);
  ASSERT_TRUE(setup_.EndsWithin(kDefaultTimeoutMs));
  const MachineSnapshot after = TakeSnapshot(machine_);
  EXPECT_EQ(after.registry, before.registry);
  EXPECT_EQ(after.files, before.files);
  EXPECT_EQ(DumpAllMachineSoftware(), softwareBefore);
}

TEST_F(SetupDialog, ShowsItsColoursOnScreen) {
  Seed(MachineWith({StandardAcad(2010)}));
  StartSetup();
  Pixels shot = CaptureWindow(setup_.Dialog());
  ASSERT_GT(shot.width, 0);
  SaveBmp(shot, "setup_dialog.bmp");  // beside the test, for a person to look at
  const uint32_t background = RgbValue(160, 180, 220);
  EXPECT_GT(std::count(shot.rgb.begin(), shot.rgb.end(), background), static_cast<std::ptrdiff_t>(shot.rgb.size() / 2));

  // The version label's text is dark green.
  RECT label = setup_.Control(kVersionLabelId).rect;
  Pixels text = CaptureScreen(label);
  Pixels green;
  green.width = text.width;
  green.height = text.height;
  green.rgb.assign(text.rgb.size(), RgbValue(10, 70, 40));
  EXPECT_GT(MatchingShare(text, green, 40), 0.02) << "no dark green text in the version label";
}

// ---- Leaving without installing ----

struct Leaving {
  const char* name;
  ActionOutcome (*act)(HWND dialog);
};

class LeavingTheDialog : public SetupDialog, public ::testing::WithParamInterface<Leaving> {};

TEST_P(LeavingTheDialog, EndsTheProgramAndWritesNothing) {
  SimulatedAcad acad2010 = StandardAcad(2010);
  acad2010.profiles.push_back({"Tessa", std::string("c:\\tools"), true});
  Seed(MachineWith({StandardAcad(2008), acad2010}));
  const MachineSnapshot before = TakeSnapshot(machine_);
  StartSetup();
  ExpectReleaseBoxes({2008, 2010});
  // Enter means IDOK only while the focus is not on a push button: it starts on the first box.
  EXPECT_EQ(setup_.FocusedControlId(), ReleaseBoxId(2008));

  EXPECT_EQ(GetParam().act(setup_.Dialog()).result, ActionResult::WindowClosed);
  ASSERT_TRUE(setup_.EndsWithin(kDefaultTimeoutMs)) << "the program went on after its dialog ended";
  EXPECT_LT(setup_.ExitCode(), 0xC0000000u) << "the program crashed on the way out";

  const MachineSnapshot after = TakeSnapshot(machine_);
  EXPECT_EQ(after.registry, before.registry);
  EXPECT_EQ(after.files, before.files);
  EXPECT_FALSE(PathExists(kDefaultInstallPath));
}

INSTANTIATE_TEST_SUITE_P(
    E2e, LeavingTheDialog,
    ::testing::Values(Leaving{"CancelButton", [](HWND d) { return ClickButton(d, IDCANCEL); }},
                      Leaving{"EscapeKey", [](HWND d) { return PressKey(d, VK_ESCAPE); }},
                      Leaving{"CloseBox", [](HWND d) { return PressCloseBox(d); }},
                      Leaving{"EnterKey", [](HWND d) { return PressKey(d, VK_RETURN); }},
                      Leaving{"IdOkCommand", [](HWND d) { return SendCommand(d, IDOK); }}),
    [](const ::testing::TestParamInfo<Leaving>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e

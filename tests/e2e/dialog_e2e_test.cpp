// The setup dialog of the real SetUp.exe, on a machine prepared in the Wine prefix: which
// releases it offers, what it shows, the Install button's rule, and leaving without installing.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "automation/actions.h"
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

  ControlInfo path = setup_.Control(kPathId);
  EXPECT_EQ(path.text, "C:\\Quilox");
  EXPECT_TRUE(path.visible);
  EXPECT_TRUE(path.enabled);

  for (int id : {kInstallId, IDCANCEL, kBrowseId}) {
    ControlInfo button = setup_.Control(id);
    EXPECT_TRUE(button.visible) << id;
    EXPECT_TRUE(button.enabled) << id;
  }

  // Never shown: the completion button, the progress bar (until an install runs), the completion
  // text and its picture.
  for (int id : {IDOK, kProgressId, 1023, 1024}) EXPECT_FALSE(setup_.Control(id).visible) << id;
}

TEST_F(SetupDialog, InstallIsEnabledExactlyWhileABoxIsTicked) {
  // One year from each range of box ids: 2009 (1018..1020), 2010 and 2011 (the swapped pair), 2027.
  Seed(MachineWith({StandardAcad(2009, AcadBits::Bits32), StandardAcad(2010), StandardAcad(2011),
                    StandardAcad(2027)}));
  StartSetup();
  ExpectReleaseBoxes({2009, 2010, 2011, 2027});
  EXPECT_TRUE(setup_.Control(kInstallId).enabled);

  // Each click toggles one box; Install follows after every one of them.
  const struct {
    int year;
    bool installEnabled;
  } clicks[] = {{2027, true},  {2011, true},  {2010, true},  {2009, false}, {2010, true},
                {2010, false}, {2011, true},  {2011, false}, {2027, true}};
  bool ticked[] = {true, true, true, true};  // 2009, 2010, 2011, 2027
  for (const auto& click : clicks) {
    ASSERT_EQ(ClickButton(setup_.Dialog(), ReleaseBoxId(click.year)).result, ActionResult::Done) << click.year;
    bool& tick = ticked[click.year == 2027 ? 3 : click.year - 2009];
    tick = !tick;
    EXPECT_EQ(setup_.Control(ReleaseBoxId(click.year)).checked, tick ? BST_CHECKED : BST_UNCHECKED) << click.year;
    EXPECT_EQ(setup_.Control(kInstallId).enabled, click.installEnabled) << "after clicking " << click.year;
  }
  ClickButton(setup_.Dialog(), ReleaseBoxId(2027));
  EXPECT_EQ(ClickButton(setup_.Dialog(), kInstallId).result, ActionResult::Refused);

  // A release that was not found cannot be chosen.
  EXPECT_EQ(ClickButton(setup_.Dialog(), ReleaseBoxId(2008)).result, ActionResult::Refused);
  EXPECT_FALSE(setup_.Control(ReleaseBoxId(2008)).checked);
}

// The ways of leaving are the framework's; here, that leaving ends the program and writes nothing.
TEST_F(SetupDialog, EnterEndsTheProgramAndWritesNothing) {
  SimulatedAcad acad2010 = StandardAcad(2010);
  acad2010.profiles.push_back({"Tessa", std::string("c:\\tools"), true});
  Seed(MachineWith({StandardAcad(2008), acad2010}));
  const std::vector<std::string> softwareBefore = DumpAllMachineSoftware();
  const MachineSnapshot before = TakeSnapshot(machine_);
  StartSetup();
  ExpectReleaseBoxes({2008, 2010});
  // Enter means IDOK only while the focus is not on a push button: it starts on the first box.
  EXPECT_EQ(setup_.FocusedControlId(), ReleaseBoxId(2008));

  EXPECT_EQ(PressKey(setup_.Dialog(), VK_RETURN).result, ActionResult::WindowClosed);
  ASSERT_TRUE(setup_.EndsWithin(kDefaultTimeoutMs)) << "the program went on after its dialog ended";
  EXPECT_LT(setup_.ExitCode(), 0xC0000000u) << "the program crashed on the way out";

  const MachineSnapshot after = TakeSnapshot(machine_);
  EXPECT_EQ(after.registry, before.registry);
  EXPECT_EQ(after.files, before.files);
  EXPECT_EQ(DumpAllMachineSoftware(), softwareBefore);
  EXPECT_FALSE(PathExists(kDefaultInstallPath));
}

}  // namespace
}  // namespace e2e

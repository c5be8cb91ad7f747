// One fault at every step of an installation. The simulated AutoCAD machine is installed once to
// count the registry and file-system calls the installation makes (discovery included); then, on
// a fresh machine each time, exactly call k fails, for every k, and the questions are answered
// Ignore, Abort or Retry. Whatever fails: no crash, no key or listing left open, only the
// messages that belong to that step, and nothing that was on the machine before is lost except
// what an installation replaces by design.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "deploy/recorded_install.h"
#include "tests/memory/memory_environment.h"
#include "tests/memory/memory_platform.h"
#include "tests/support/acad_machine_sinks.h"
#include "setup/install_steps.h"

namespace {

constexpr WindowRef kOwner = 0x2B2B;
const char kChosenPath[] = "C:\\Quilox";
const char kInstallFolder[] = "C:\\Quilox\\Tessarune";
const char kSource[] = "C:\\Setup\\Data";
const char kLibrary[] = "Quilox扩展绘图库";
const char kAcad2008[] = "C:\\Program Files (x86)\\Autodesk\\AutoCAD 2008";
// Where the record is kept: its checks are no checks of the install folder.
const char kRecordFolders[] = "C:\\Program Files\\Quilox";

// The demand-load entries an installation on the simulated machine writes, and their modules.
struct Entry {
  const char* key;  // below HKLM
  const char* loader;
};
const Entry kEntries[] = {
    {"SOFTWARE\\Wow6432Node\\Autodesk\\AutoCAD\\R17.1\\ACAD-6001:804\\Applications\\Quilox2008", "Quilox2008.ARX"},
    {"SOFTWARE\\Wow6432Node\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\Applications\\Quilox2010", "Quilox2010.ARX"},
    {"SOFTWARE\\Wow6432Node\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\Applications\\Quilox2010_32",
     "Quilox2010_32.ARX"},
    {"SOFTWARE\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\Applications\\Quilox2010", "Quilox2010.ARX"},
    {"SOFTWARE\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\Applications\\Quilox2010_32", "Quilox2010_32.ARX"},
    {"SOFTWARE\\Autodesk\\AutoCAD\\R19.1\\ACAD-D001:804\\Applications\\Quilox2014", "Quilox2013.ARX"},
    {"SOFTWARE\\Autodesk\\AutoCAD\\R24.0\\ACAD-4101:804\\Applications\\Quilox2021", "Quilox2021.ARX"},
    {"SOFTWARE\\Autodesk\\AutoCAD\\R24.0\\ACAD-4105:804\\Applications\\Quilox2021", "Quilox2021.ARX"},
    {"SOFTWARE\\Autodesk\\AutoCAD\\R25.0\\ACAD-8101:804\\Applications\\Quilox2025", "Quilox2025.ARX"},
};

std::string Upper(const std::string& text) { return Cp936CodePage().Upper(text); }
bool StartsWith(const std::string& text, const std::string& start) { return Upper(text).rfind(Upper(start), 0) == 0; }

// ---- The machine: the simulated AutoCAD machine, what an earlier installation and other
// programs left, and the distribution ----

enum class Layout { Upgrade, FirstInstall };

void BuildMachine(MemoryPlatform& m, Layout layout) {
  acadmachine::LayDown(acadmachine::MainJobMachine(), m);
  MemoryRegistry& reg = m.registry;
  const std::string apps2008 = "SOFTWARE\\Wow6432Node\\Autodesk\\AutoCAD\\R17.1\\ACAD-6001:804\\Applications\\";
  const std::string apps2010 = "SOFTWARE\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\Applications\\";
  reg.SetText(kHkeyLocalMachine, apps2008 + "Quilox2008", "LOADER", "E:\\Old\\Quilox2008.ARX");
  reg.SetText(kHkeyLocalMachine, apps2008 + "Quilox2008", "DESCRIPTION", "old");
  reg.SetText(kHkeyLocalMachine, apps2008 + "AcadOther", "LOADER", "C:\\Other\\other.arx");
  reg.SetText(kHkeyLocalMachine, apps2010 + "Quilox2010_32\\Commands", "QX", "QX");  // the entry cannot go
  reg.SetText(kHkeyLocalMachine, "SOFTWARE\\Autodesk\\AutoCAD\\R19.0\\ACAD-B001:804", "AcadLocation", "C:\\Gone\\");
  reg.SetText(kHkeyLocalMachine, "SOFTWARE\\Vendor\\Tool", "Path", "C:\\Tool");
  const std::string profiles = "Software\\Autodesk\\AutoCAD\\";
  reg.SetRaw(kHkeyCurrentUser, profiles + "R23.0\\ACAD-6101:804\\Profiles\\Custom\\Variables", "TRUSTEDPATHS",
             kRegExpandSz, std::string("%APPDATA%\\Plugins;D:\\CAD\\Lisp") + '\0');
  std::string longValue;
  while (longValue.size() < 12000) longValue += "D:\\Very\\Long\\Trusted\\Folder" + std::to_string(longValue.size()) + ";";
  reg.SetText(kHkeyCurrentUser, profiles + "R25.0\\ACAD-8101:804\\Profiles\\Long\\Variables", "TRUSTEDPATHS", longValue);
  reg.SetText(kHkeyCurrentUser, "Software\\Vendor\\Tool", "Recent", "a.dwg");

  MemoryFileSystem& fs = m.files;
  const std::string data = kSource;
  fs.AddFile("C:\\Setup\\SetUp.exe", "setup");
  for (const char* name : {"SetUp.exe", "Quilox2008.arx", "Quilox2010.arx", "Quilox2010_32.arx", "Quilox2013.arx",
                           "Quilox2021.arx", "Quilox2025.arx", "Quilox.cuix", "说明.txt", "Quilox_EN.shx",
                           "Quilox_HZ.shx", "Quilox.prt5", "Docs\\manual.pdf"}) {
    fs.AddFile(data + "\\" + name, std::string("new ") + name);
  }
  fs.AddFile(data + "\\Readme.txt", "new read-me", kAttrReadOnly | kAttrArchive);
  fs.AddStream(data + "\\Readme.txt", "Zone.Identifier", "[ZoneTransfer]\r\nZoneId=3");
  fs.AddStream(data + "\\Quilox.cuix", "Author", "me");
  const std::string library = data + "\\" + kLibrary;
  fs.AddFile(library + "\\门窗.dwg", "new doors");
  fs.AddFile(library + "\\楼梯.dwg", "new stairs", kAttrReadOnly);
  fs.AddStream(library + "\\楼梯.dwg", "Zone.Identifier", "ZoneId=3");
  fs.AddFile(library + "\\Sub\\inner.dwg", "inner");

  fs.AddFile("C:\\Users\\me\\Documents\\plan.dwg", "plan");
  fs.AddFile(std::string(kAcad2008) + "\\Fonts\\Quilox_EN.shx", "old en font", kAttrReadOnly);
  if (layout == Layout::Upgrade) {
    const std::string old = kInstallFolder;
    fs.AddFile(old + "\\Quilox2008.arx", "old 2008", kAttrReadOnly);
    fs.AddFile(old + "\\README.TXT", "old read-me");
    fs.AddStream(old + "\\README.TXT", "Author", "old");
    fs.AddFile(old + "\\user.cfg", "settings of the user");
    fs.AddFile(old + "\\" + kLibrary + "\\门窗.dwg", "old doors", kAttrReadOnly);
    fs.AddFile(old + "\\" + kLibrary + "\\mine.dwg", "the user's own drawing");
  }
}

// ---- One installation, as the Install command runs it, keeping its record; the dialog ticks
// every release found ----

class NoProgress : public ProgressSink {
 public:
  void Step() override {}
};

bool Install(MemoryPlatform& m) {
  const Platform p = m.platform();
  AcadReleaseTable table;
  table.DiscoverReleases(p);
  int selected[kYearCount] = {};
  for (int i = 0; i < kYearCount; ++i) selected[i] = table.IsFound(kFirstYear + i) ? 1 : 0;
  bool warn = true;
  if (StopForRunningAcad(p, kOwner, warn)) return false;
  MemoryEnvironment env;
  InstallReport report;
  long heldRc = kOk;
  std::unique_ptr<HeldFile> self = m.files.HoldFile(m.files.ModulePath(), &heldRc);
  RecordedInstall recorded(p, env, p.boxes, report, table, selected, self.get());
  std::string path = kChosenPath;
  FolderHolds holds;
  if (PrepareInstallFolder(recorded.platform(), kOwner, path, holds) != InstallFolderResult::Created) return false;
  NoProgress progress;
  const bool completed = RunInstallSteps(recorded.platform(), kOwner, table, selected, path, progress);
  recorded.Finish(path, completed);
  if (!completed) return false;
  ShowCompletionMessages(p, kOwner);
  return true;
}

// ---- What was lost: one line each ----

std::vector<std::string> Folders(const std::string& trustedPaths) {
  std::vector<std::string> folders;
  for (size_t start = 0, end; start <= trustedPaths.size(); start = end + 1) {
    end = std::min(trustedPaths.find(';', start), trustedPaths.size());
    if (end > start) folders.push_back(Upper(trustedPaths.substr(start, end - start)));
  }
  return folders;
}

void RegistryLosses(const MemoryRegistry& before, const MemoryRegistry& after, RegHandle root,
                    const std::string& path, std::string* losses) {
  for (const Entry& entry : kEntries) {
    if (root == kHkeyLocalMachine && Upper(path) == Upper(entry.key)) return;  // replaced whole
  }
  if (!path.empty() && !after.HasKey(root, path)) {
    *losses += "key " + path + "\n";
    return;
  }
  for (const std::string& name : before.ValueNames(root, path)) {
    uint32_t type = 0, typeAfter = 0;
    std::string bytes, bytesAfter;
    before.GetRaw(root, path, name, &type, &bytes);
    const bool kept = after.GetRaw(root, path, name, &typeAfter, &bytesAfter);
    if (Upper(name) == "TRUSTEDPATHS") {
      // Rewritten by design; every folder of a value longer than 2 characters stays trusted.
      const std::string old = bytes.substr(0, bytes.find('\0'));
      const std::vector<std::string> now = Folders(bytesAfter.substr(0, bytesAfter.find('\0')));
      for (const std::string& folder : old.size() > 2 ? Folders(old) : std::vector<std::string>{}) {
        if (std::find(now.begin(), now.end(), folder) == now.end()) *losses += "trusted " + folder + "\n";
      }
    } else if (!kept || type != typeAfter || bytes != bytesAfter) {
      *losses += "value " + path + " : " + name + "\n";
    }
  }
  for (const std::string& sub : before.SubkeyNames(root, path)) {
    RegistryLosses(before, after, root, path.empty() ? sub : path + "\\" + sub, losses);
  }
}

// Where an installation copies a file from: "" for a file it leaves alone.
std::string SourceOf(const std::string& path) {
  const std::string installed = std::string(kInstallFolder) + "\\";
  if (StartsWith(path, installed)) return std::string(kSource) + "\\" + path.substr(installed.size());
  for (const char* font : {"\\Fonts\\Quilox_EN.shx", "\\Fonts\\Quilox_HZ.shx"}) {
    const std::string end = font;
    if (path.size() > end.size() && Upper(path.substr(path.size() - end.size())) == Upper(end)) {
      return std::string(kSource) + end.substr(6);
    }
  }
  if (Upper(path) == Upper(std::string(kAcad2008) + "\\Drv\\pdfplot9.hdi")) return std::string(kSource) + "\\Quilox.prt5";
  return "";
}

void FileLosses(MemoryFileSystem& before, MemoryFileSystem& after, const std::string& folder, std::string* losses) {
  for (const std::string& name : before.Names(folder.size() == 2 ? folder + "\\" : folder)) {
    const std::string path = folder + "\\" + name;
    if (before.IsFolder(path)) {
      if (!after.IsFolder(path)) *losses += "folder " + path + "\n";
      FileLosses(before, after, path, losses);
      continue;
    }
    if (!after.IsFile(path)) {
      *losses += "file " + path + "\n";
      continue;
    }
    const std::string source = SourceOf(path);
    if (!source.empty() && after.Content(path) == before.Content(source)) continue;
    if (after.Content(path) != before.Content(path)) *losses += "content " + path + "\n";
    // Copying clears read-only in the source and the install folder, and a file left without
    // attributes reports FILE_ATTRIBUTE_NORMAL; the source loses its Zone.Identifier streams.
    const bool inSource = StartsWith(path, std::string(kSource) + "\\");
    const bool copied = inSource || StartsWith(path, std::string(kInstallFolder) + "\\");
    const uint32_t mask = copied ? ~(kAttrReadOnly | kAttrNormal) : ~0u;
    if ((after.Attributes(path) & mask) != (before.Attributes(path) & mask)) *losses += "attributes " + path + "\n";
    for (const char* stream : {"Zone.Identifier", "Author"}) {
      const bool mayGo = inSource && std::string(stream) == "Zone.Identifier";
      if (before.HasStream(path, stream) && !after.HasStream(path, stream) && !mayGo) {
        *losses += "stream " + path + ":" + stream + "\n";
      }
    }
  }
}

std::string Losses(MemoryPlatform& before, MemoryPlatform& after) {
  after.registry.FailCall(0);  // reading back must not meet a fault that the run never reached
  after.files.FailCall(0);
  std::string losses;
  for (RegHandle root : {kHkeyLocalMachine, kHkeyCurrentUser}) RegistryLosses(before.registry, after.registry, root, "", &losses);
  FileLosses(before.files, after.files, "C:", &losses);
  return losses;
}

// ---- The matrix ----

enum class Reply { Ignore, Abort, Retry };
struct Case {
  Layout layout;
  Reply reply;
};

class InstallFaultMatrix : public ::testing::TestWithParam<Case> {
 protected:
  // A fresh machine, call `number` of one seam made to fail, the installation run and checked.
  // Returns false when the fault was never reached.
  bool RunWithFault(MemoryPlatform& before, bool registry, size_t number) {
    MemoryPlatform m;
    BuildMachine(m, GetParam().layout);
    const Reply reply = GetParam().reply;
    // Retry is answered a few times, then the first button (Abort) ends a question that stays.
    for (int i = 0; i < (reply == Reply::Retry ? 3 : 64); ++i) {
      m.boxes.Answer(reply == Reply::Ignore ? kIdIgnore : reply == Reply::Abort ? kIdAbort : kIdRetry);
    }
    // Laying the machine down counts too: the fault falls on the installation's own call `number`.
    registry ? m.registry.FailCall(m.registry.Calls() + number) : m.files.FailCall(m.files.Calls() + number);
    const bool completed = Install(m);
    const std::string failed = registry ? m.registry.FailedCall() : m.files.FailedCall();
    if (failed.empty()) return false;
    const std::string where = (registry ? "registry call " : "file call ") + std::to_string(number) + ": " + failed;

    EXPECT_EQ(0u, m.registry.OpenHandles()) << where;
    EXPECT_EQ(0u, m.files.OpenListings()) << where;
    EXPECT_EQ(0u, m.files.HeldFolders()) << where;
    EXPECT_EQ("", Losses(before, m)) << where;
    if (!completed) {
      // Stopped in the payload copy: nothing registered, nothing trusted, no font placed.
      EXPECT_EQ(before.registry.Dump(kHkeyLocalMachine), m.registry.Dump(kHkeyLocalMachine)) << where;
      EXPECT_EQ(before.registry.Dump(kHkeyCurrentUser), m.registry.Dump(kHkeyCurrentUser)) << where;
      EXPECT_EQ("", m.files.Content("C:\\Program Files\\Autodesk\\AutoCAD 2025\\Fonts\\Quilox_EN.shx")) << where;
    }

    size_t questions = 0, sourceMissing = 0, untrusted = 0, completions = 0;
    for (const ShownBox& box : m.boxes.Shown()) {
      EXPECT_EQ(kOwner, box.owner) << where;
      if (box.caption == "Tessarune软件安装" && box.style == kMbAbortRetryIgnore && StartsWith(box.text, "拷贝文件 ")) {
        ++questions;
      } else if (box.caption == "Tessarune软件安装" && box.style == kMbOk && StartsWith(box.text, "未找到安装所需的Data文件夹")) {
        ++sourceMissing;
      } else if (box.caption == "Tessarune软件安装" && box.style == (kMbOk | kMbIconExclamation) &&
                 StartsWith(box.text, "文件夹 ")) {
        ++untrusted;
      } else if (box.caption == "Tessarune工具箱安装" && box.style == kMbOk) {
        ++completions;
      } else {
        ADD_FAILURE() << where << ": unexpected box " << box.text;
      }
    }
    ++faults_;
    EXPECT_EQ(completed ? 2u : 0u, completions) << where;
    EXPECT_EQ(failed == "FindFirst C:\\Setup\\Data", sourceMissing != 0) << where;
    // A level or the Data folder whose link or owner cannot be read, or that cannot be held, is not
    // trusted: refused before anything is made. A file or AutoCAD folder that cannot be looked at is
    // only left out. A folder of the install's own that could not be looked at may be refused: found
    // missing, its creation finds it there, as if someone had made it meanwhile; so may the library
    // folder that cannot be held (made now: raced; from before: left out).
    const std::string looked = StartsWith(failed, "IsRedirection ") ? Upper(failed.substr(14)) : "";
    const std::string seen = StartsWith(failed, "Attributes ") ? Upper(failed.substr(11)) : "";
    const std::string library = Upper(std::string(kInstallFolder) + "\\" + kLibrary);
    const bool ofRecord = failed.find(kRecordFolders) != std::string::npos;
    const bool mayRefuse = seen == Upper(kChosenPath) || seen == Upper(kInstallFolder) || seen == library ||
                           Upper(failed) == "HOLDLEVEL " + library;
    const bool trustCheck = looked == Upper(kChosenPath) || looked == Upper(kInstallFolder) || looked == Upper(kSource) ||
                            ((StartsWith(failed, "Owner ") || StartsWith(failed, "Secure ") ||
                              StartsWith(failed, "HoldLevel ")) && !ofRecord && !mayRefuse);
    if (!mayRefuse) EXPECT_EQ(trustCheck, untrusted != 0) << where;
    if (trustCheck || (mayRefuse && untrusted != 0)) {
      EXPECT_EQ(1u, m.boxes.Shown().size()) << where;
      EXPECT_FALSE(completed) << where;
    }
    // Registry, drawing library and AutoCAD's folders: silent, and the installation goes on.
    if (untrusted == 0 &&
        (registry || failed.find(kLibrary) != std::string::npos || failed.find("Program Files") != std::string::npos)) {
      EXPECT_EQ(0u, questions) << where;
      EXPECT_TRUE(completed) << where;
    }
    // A payload file that cannot be copied into the install folder, or whose copy cannot take its
    // place there, is never passed over silently: the question names the file.
    const size_t arrow = failed.find(" -> ");
    const std::string from = arrow == std::string::npos ? "" : failed.substr(0, arrow);
    const std::string to = arrow == std::string::npos ? "" : failed.substr(arrow + 4);
    std::string target;
    if (StartsWith(failed, std::string("Copy ") + kSource + "\\") &&
        Upper(to.substr(0, to.rfind('\\'))) == Upper(kInstallFolder)) {
      target = std::string(kInstallFolder) + from.substr(from.rfind('\\'));
    } else if (StartsWith(failed, "Replace ") && Upper(to.substr(0, to.rfind('\\'))) == Upper(kInstallFolder)) {
      target = to;
    }
    if (!target.empty()) {
      EXPECT_GE(questions, 1u) << where;
      EXPECT_NE(std::string::npos, questions == 0 ? std::string::npos : m.boxes.Shown()[0].text.find(target)) << where;
      EXPECT_EQ(reply != Reply::Abort, completed) << where;
      if (reply == Reply::Retry) {
        EXPECT_EQ(1u, questions) << where << ": one retry copies it";
      }
    }
    if (reply == Reply::Abort && questions != 0) {
      EXPECT_FALSE(completed) << where;
    }
    if (reply == Reply::Ignore) {
      // Answering Ignore, only a failed source or trust check stops the installation, before anything else.
      if (!completed) {
        EXPECT_TRUE(m.boxes.Shown().size() == 1 && sourceMissing + untrusted == 1) << where;
      }
      EXPECT_EQ(0u, m.boxes.Unanswered()) << where;
    }
    return true;
  }

  size_t faults_ = 0;
};

TEST_P(InstallFaultMatrix, EveryCallFailingOnceLosesNothingAndSaysOnlyWhatItShould) {
  // The run without a fault: a real installation, and the number of calls it makes.
  MemoryPlatform before, clean;
  BuildMachine(before, GetParam().layout);
  BuildMachine(clean, GetParam().layout);
  const size_t registryStart = clean.registry.Calls(), fileStart = clean.files.Calls();
  ASSERT_TRUE(Install(clean));
  const size_t registryCalls = clean.registry.Calls() - registryStart, fileCalls = clean.files.Calls() - fileStart;
  ASSERT_EQ("", Losses(before, clean));
  ASSERT_EQ(2u, clean.boxes.Shown().size());
  // The machine is worth the matrix: every step did its work on every installation.
  for (const Entry& entry : kEntries) {
    EXPECT_EQ(std::string("C:\\Quilox\\Tessarune\\") + entry.loader,
              clean.registry.GetText(kHkeyLocalMachine, entry.key, "LOADER")) << entry.key;
  }
  EXPECT_EQ("new doors", clean.files.Content(std::string(kInstallFolder) + "\\" + kLibrary + "\\门窗.dwg"));
  EXPECT_EQ("new Quilox.prt5", clean.files.Content(std::string(kAcad2008) + "\\Drv\\pdfplot9.hdi"));
  EXPECT_EQ("new Quilox_HZ.shx",
            clean.files.Content("C:\\Program Files\\Autodesk\\AutoCAD Mechanical 2021\\Fonts\\Quilox_HZ.shx"));
  EXPECT_EQ("C:\\Quilox\\Tessarune",
            clean.registry.GetText(kHkeyCurrentUser,
                                   "Software\\Autodesk\\AutoCAD\\R19.1\\ACAD-D001:804\\Profiles\\机械制图\\Variables",
                                   "TRUSTEDPATHS"));
  ASSERT_GT(registryCalls, 100u);
  ASSERT_GT(fileCalls, 50u);

  // Registry failures never ask and do not depend on the install folder: one variant covers them.
  const bool withRegistry = GetParam().layout == Layout::Upgrade && GetParam().reply == Reply::Ignore;
  size_t unreached = 0;
  for (size_t k = 1; withRegistry && k <= registryCalls; ++k) unreached += RunWithFault(before, true, k) ? 0 : 1;
  for (size_t k = 1; k <= fileCalls; ++k) unreached += RunWithFault(before, false, k) ? 0 : 1;
  std::printf("[ faults   ] %zu registry calls, %zu file calls: %zu faults injected, %zu fell on calls that cannot fail\n",
              registryCalls, fileCalls, faults_, unreached);
  EXPECT_GT(faults_, ((withRegistry ? registryCalls : 0) + fileCalls) / 2);
}

INSTANTIATE_TEST_SUITE_P(Layouts, InstallFaultMatrix,
                         ::testing::Values(Case{Layout::Upgrade, Reply::Ignore}, Case{Layout::Upgrade, Reply::Abort},
                                           Case{Layout::Upgrade, Reply::Retry}, Case{Layout::FirstInstall, Reply::Ignore},
                                           Case{Layout::FirstInstall, Reply::Abort},
                                           Case{Layout::FirstInstall, Reply::Retry}),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.layout == Layout::Upgrade ? "Upgrade" : "FirstInstall") +
                                  (info.param.reply == Reply::Ignore  ? "AnsweringIgnore"
                                   : info.param.reply == Reply::Abort ? "AnsweringAbort"
                                                                      : "AnsweringRetry");
                         });

}  // namespace

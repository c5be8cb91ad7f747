// One fault at every step of an installation. A realistic machine is installed once to count
// the registry and file-system calls the installation makes (discovery included); then, on a
// fresh machine each time, exactly call k fails, for every k, and the questions are answered
// Ignore, Abort or Retry. Whatever fails: no crash, no key or listing left open, only the
// messages that belong to that step, and nothing that was on the machine before is lost except
// what an installation replaces by design.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "acad/demand_load_modules.h"
#include "install/install_texts.h"
#include "tests/memory/memory_platform.h"
#include "ui/install_command_texts.h"
#include "ui/install_steps.h"

namespace {

constexpr WindowRef kOwner = 0x2B2B;
const char kChosenPath[] = "C:\\Quilox";
const char kInstallFolder[] = "C:\\Quilox\\Tessarune";
const char kSource[] = "C:\\Setup\\Data";
const char kLibrary[] = "Quilox扩展绘图库";
const char* const kStreamNames[] = {"Zone.Identifier", "Author"};

std::string Upper(const std::string& text) { return Cp936CodePage().Upper(text); }

// ---- The machine ----

enum class Layout { Upgrade, FirstInstall };

struct Acad {
  const char* view;     // "" (64-bit) or "Wow6432Node\\"
  const char* release;  // release key
  const char* product;  // product key
  const char* name;     // ProductName
  const char* folder;   // AcadLocation, as AutoCAD writes it (trailing backslash)
};

const Acad kAcads[] = {
    {"", "R17.1", "ACAD-6001:804", "AutoCAD 2008 - 简体中文", "C:\\Program Files\\AutoCAD 2008\\"},
    {"Wow6432Node\\", "R17.2", "ACAD-7001:804", "AutoCAD 2009 - 简体中文", "C:\\Program Files (x86)\\AutoCAD 2009\\"},
    {"", "R17.2", "ACAD-7001:804", "AutoCAD 2009 - 简体中文", "C:\\Program Files\\AutoCAD 2009\\"},
    {"Wow6432Node\\", "R18.0", "ACAD-8001:804", "AutoCAD 2010 - 简体中文", "C:\\Program Files (x86)\\AutoCAD 2010\\"},
    {"", "R18.0", "ACAD-8001:804", "AutoCAD 2010 - 简体中文", "C:\\Program Files\\AutoCAD 2010\\"},
    {"Wow6432Node\\", "R18.1", "ACAD-9001:804", "AutoCAD 2011 - 简体中文", "C:\\Program Files (x86)\\AutoCAD 2011\\"},
    {"", "R24.1", "ACAD-5101:804", "AutoCAD 2022 - 简体中文", "C:\\Program Files\\Autodesk\\AutoCAD 2022\\"},
    {"", "R25.0", "ACAD-7101:804", "AutoCAD 2025 - 简体中文", "C:\\Program Files\\Autodesk\\AutoCAD 2025\\"},
    {"", "R25.0", "ACAD-7106:804", "AutoCAD Mechanical 2025", "D:\\CAD\\AutoCAD 2025 Mechanical\\"},
};

std::string ProductKey(const Acad& a) {
  return std::string("SOFTWARE\\") + a.view + "Autodesk\\AutoCAD\\" + a.release + "\\" + a.product + "\\";
}

std::string Folder(const Acad& a) {
  std::string folder = a.folder;
  folder.pop_back();
  return folder;
}

std::string Variables(const std::string& release, const std::string& product, const std::string& profile) {
  return "SOFTWARE\\Autodesk\\AutoCAD\\" + release + "\\" + product + "\\Profiles\\" + profile + "\\Variables";
}

void BuildMachine(MemoryPlatform& m, Layout layout) {
  MemoryRegistry& reg = m.registry;
  MemoryFileSystem& fs = m.files;
  fs.AddDrive('D');

  for (const Acad& a : kAcads) {
    const std::string key = ProductKey(a);
    reg.SetText(kHkeyLocalMachine, key, "AcadLocation", a.folder);
    reg.SetText(kHkeyLocalMachine, key, "ProductName", a.name);
    reg.SetRaw(kHkeyLocalMachine, key, "Release", kRegDword, std::string("\x12\0\0\0", 4));
    reg.SetText(kHkeyLocalMachine, key + "Applications\\AcadOther", "LOADER", "C:\\Other\\other.arx");
    fs.AddFile(Folder(a) + "\\acad.exe", "acad");
    fs.AddFile(Folder(a) + "\\Fonts\\txt.shx", "txt font");
    fs.AddFile(Folder(a) + "\\Drv\\pdfplot9.hdi", "acad driver");
  }
  // An earlier registration with a value someone else added, and one whose entry has a subkey
  // (it cannot be deleted and is reused).
  const std::string key2008 = ProductKey(kAcads[0]);
  reg.SetText(kHkeyLocalMachine, key2008 + "Applications\\Quilox2008", "LOADER", "E:\\Old\\Quilox2008.ARX");
  reg.SetText(kHkeyLocalMachine, key2008 + "Applications\\Quilox2008", "DESCRIPTION", "old");
  const std::string key2010 = ProductKey(kAcads[4]);
  reg.SetText(kHkeyLocalMachine, key2010 + "Applications\\Quilox2010_32\\Commands", "QX", "QX");
  reg.SetText(kHkeyLocalMachine, key2010 + "Applications\\Quilox2010_32", "LOADER", "E:\\Old\\Quilox2010_32.ARX");
  reg.SetText(kHkeyLocalMachine, "SOFTWARE\\Vendor\\Tool", "Path", "C:\\Tool");
  // A key without any installation below it, and one with only a location.
  reg.SetText(kHkeyLocalMachine, "SOFTWARE\\Autodesk\\AutoCAD\\R19.0\\ACAD-B001:804", "AcadLocation", "C:\\Gone\\");
  reg.AddKey(kHkeyLocalMachine, "SOFTWARE\\Autodesk\\AutoCAD\\R20.0\\ACAD-E001:804\\Empty");

  // Profiles of the current user: with and without TRUSTEDPATHS, installed releases and others.
  reg.SetText(kHkeyCurrentUser, Variables("R17.1", "ACAD-6001:804", "<<未命名配置>>"), "TRUSTEDPATHS", "c:\\tools");
  reg.SetText(kHkeyCurrentUser, Variables("R17.1", "ACAD-6001:804", "<<未命名配置>>"), "MENUBAR", "1");
  reg.SetText(kHkeyCurrentUser, Variables("R18.0", "ACAD-8001:804", "<<未命名配置>>"), "TRUSTEDPATHS",
              "d:\\lib;c:\\quilox\\tessarune\\old;");
  reg.SetText(kHkeyCurrentUser, Variables("R18.0", "ACAD-8001:804", "建筑"), "TRUSTEDPATHS", "x");
  reg.SetText(kHkeyCurrentUser, Variables("R24.1", "ACAD-5101:804", "<<未命名配置>>"), "FILEDIA", "1");
  reg.SetRaw(kHkeyCurrentUser, Variables("R23.0", "ACAD-6101:804", "Custom"), "TRUSTEDPATHS", kRegExpandSz,
             std::string("%APPDATA%\\Plugins;D:\\CAD\\Lisp") + '\0');
  std::string longValue;
  while (longValue.size() < 12000) longValue += "D:\\Very\\Long\\Trusted\\Folder" + std::to_string(longValue.size()) + ";";
  reg.SetText(kHkeyCurrentUser, Variables("R25.0", "ACAD-7101:804", "<<未命名配置>>"), "TRUSTEDPATHS", longValue);
  reg.AddKey(kHkeyCurrentUser, "SOFTWARE\\Autodesk\\AutoCAD\\R25.0\\ACAD-7106:804\\Profiles\\NoVariables");
  reg.SetText(kHkeyCurrentUser, "SOFTWARE\\Vendor\\Tool", "Recent", "a.dwg");

  // The distribution.
  fs.AddFile("C:\\Setup\\SetUp.exe", "setup");
  const std::string data = kSource;
  fs.AddFile(data + "\\SetUp.exe", "setup");
  for (const char* name : {"Quilox2008.arx", "Quilox2009.arx", "Quilox2010.arx", "Quilox2010_32.arx",
                           "Quilox2021.arx", "Quilox2025.arx", "Quilox.cuix", "说明.txt"}) {
    fs.AddFile(data + "\\" + name, std::string("new ") + name);
  }
  fs.AddFile(data + "\\Readme.txt", "new read-me", kAttrReadOnly | kAttrArchive);
  fs.AddStream(data + "\\Readme.txt", "Zone.Identifier", "[ZoneTransfer]\r\nZoneId=3");
  fs.AddStream(data + "\\Quilox.cuix", "Author", "me");
  fs.AddFile(data + "\\Quilox_EN.shx", "new en font");
  fs.AddFile(data + "\\Quilox_HZ.shx", "new hz font");
  fs.AddFile(data + "\\Quilox.prt5", "new driver");
  fs.AddFile(data + "\\Docs\\manual.pdf", "manual");
  const std::string library = data + "\\" + kLibrary;
  fs.AddFile(library + "\\门窗.dwg", "new doors");
  fs.AddFile(library + "\\楼梯.dwg", "new stairs", kAttrReadOnly);
  fs.AddStream(library + "\\楼梯.dwg", "Zone.Identifier", "ZoneId=3");
  fs.AddFile(library + "\\Sub\\inner.dwg", "inner");

  // What the user has elsewhere, and the earlier installation.
  fs.AddFile("C:\\Users\\me\\Documents\\plan.dwg", "plan");
  fs.AddFile("C:\\Program Files\\AutoCAD 2008\\Fonts\\Quilox_EN.shx", "old en font", kAttrReadOnly);
  fs.AddFile("C:\\Program Files\\Autodesk\\AutoCAD 2022\\Fonts\\Quilox_HZ.shx", "old hz font");
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

// ---- One installation, as the Install command runs it ----

class CountingProgress : public ProgressSink {
 public:
  void Step() override { ++steps; }
  int steps = 0;
};

struct Outcome {
  bool completed = false;  // the install steps ran to the end
  AcadReleaseTable table;
  int selected[kYearCount] = {};
};

Outcome Install(MemoryPlatform& m) {
  const Platform p = m.platform();
  Outcome out;
  out.table.DiscoverReleases(p);
  // The dialog ticks every release it found.
  for (int i = 0; i < kYearCount; ++i) out.selected[i] = out.table.IsFound(kFirstYear + i) ? 1 : 0;

  bool warn = true;
  if (StopForRunningAcad(p, kOwner, warn)) return out;
  std::string path = kChosenPath;
  if (PrepareInstallFolder(p, kOwner, path) != InstallFolderResult::Created) return out;
  CountingProgress progress;
  out.completed = RunInstallSteps(p, kOwner, out.table, out.selected, path, progress);
  if (out.completed) ShowCompletionMessages(p, kOwner);
  return out;
}

// ---- What was on the machine ----

struct RegValue {
  uint32_t type;
  std::string bytes;
};

struct Snapshot {
  std::map<std::string, std::vector<std::string>> keys;  // "HKLM\path" -> value names
  std::map<std::string, RegValue> values;                // "HKLM\path : name"
  std::set<std::string> folders;
  std::map<std::string, std::string> files;  // path -> content
  std::map<std::string, uint32_t> attributes;
  std::set<std::string> streams;  // "path:stream"
  std::string hklm, hkcu;
};

void TakeKeys(const MemoryRegistry& reg, RegHandle root, const std::string& path, Snapshot* s) {
  const std::string prefix = root == kHkeyLocalMachine ? "HKLM\\" : "HKCU\\";
  if (!path.empty()) s->keys[Upper(prefix + path)] = reg.ValueNames(root, path);
  for (const std::string& name : reg.ValueNames(root, path)) {
    RegValue v{};
    reg.GetRaw(root, path, name, &v.type, &v.bytes);
    s->values[Upper(prefix + path + " : " + name)] = v;
  }
  for (const std::string& sub : reg.SubkeyNames(root, path)) TakeKeys(reg, root, path.empty() ? sub : path + "\\" + sub, s);
}

// Paths in upper case: names are case-insensitive, and a copy keeps the spelling it found.
void TakeFiles(MemoryFileSystem& fs, const std::string& folder, Snapshot* s) {
  for (const std::string& name : fs.Names(folder.size() == 2 ? folder + "\\" : folder)) {
    const std::string path = folder + "\\" + name;
    if (fs.IsFolder(path)) {
      s->folders.insert(Upper(path));
      TakeFiles(fs, path, s);
      continue;
    }
    s->files[Upper(path)] = fs.Content(path);
    s->attributes[Upper(path)] = fs.Attributes(path);
    for (const char* stream : kStreamNames) {
      if (fs.HasStream(path, stream)) s->streams.insert(Upper(path + ":" + stream));
    }
  }
}

Snapshot Take(MemoryPlatform& m) {
  m.registry.FailCall(0);  // reading back must not meet a fault that the run never reached
  m.files.FailCall(0);
  Snapshot s;
  TakeKeys(m.registry, kHkeyLocalMachine, "", &s);
  TakeKeys(m.registry, kHkeyCurrentUser, "", &s);
  TakeFiles(m.files, "C:", &s);
  TakeFiles(m.files, "D:", &s);
  s.hklm = m.registry.Dump(kHkeyLocalMachine);
  s.hkcu = m.registry.Dump(kHkeyCurrentUser);
  return s;
}

// ---- What an installation may replace ----

std::string Parent(const std::string& path) { return path.substr(0, path.rfind('\\')); }
std::string NameOf(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

// The demand-load entry keys an installation writes, upper case, "HKLM\...".
std::set<std::string> EntryKeys(const Outcome& o) {
  std::set<std::string> keys;
  for (int i = 0; i < kYearCount; ++i) {
    if (!o.selected[i]) continue;
    const ReleaseModule& row = kReleaseModules[i];
    for (const std::string& productKey : o.table.productKeys[i]) {
      keys.insert(Upper("HKLM\\" + productKey + "Applications\\Quilox" + std::to_string(row.releaseYear)));
      if (row.secondEntry) keys.insert(Upper("HKLM\\" + productKey + "Applications\\" + row.secondEntry));
    }
  }
  return keys;
}

std::vector<std::string> SplitPaths(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::string TextOf(const RegValue& v) { return v.bytes.substr(0, v.bytes.find('\0')); }

// Every loss, one line each; empty when nothing was lost.
std::string Losses(const Snapshot& before, const Snapshot& after, const Outcome& o) {
  std::string losses;
  const std::set<std::string> entries = EntryKeys(o);

  for (const auto& key : before.keys) {
    if (after.keys.count(key.first) == 0 && entries.count(Upper(key.first)) == 0) {
      losses += "key " + key.first + "\n";
    }
  }
  for (const auto& value : before.values) {
    const std::string keyPath = value.first.substr(0, value.first.find(" : "));
    const std::string name = value.first.substr(value.first.find(" : ") + 3);
    if (entries.count(Upper(keyPath)) != 0) continue;  // a demand-load entry is replaced whole
    auto now = after.values.find(value.first);
    if (Upper(name) == "TRUSTEDPATHS") {
      // Rewritten by design, but every folder it held stays trusted.
      const std::string old = TextOf(value.second);
      if (old.size() <= 2) continue;
      if (now == after.values.end()) {
        losses += "value " + value.first + "\n";
        continue;
      }
      std::vector<std::string> kept = SplitPaths(Upper(TextOf(now->second)));
      for (const std::string& folder : SplitPaths(Upper(old))) {
        if (std::find(kept.begin(), kept.end(), folder) == kept.end()) losses += "trusted " + folder + "\n";
      }
      continue;
    }
    if (now == after.values.end() || now->second.type != value.second.type ||
        now->second.bytes != value.second.bytes) {
      losses += "value " + value.first + "\n";
    }
  }

  // Files an installation replaces, with the content it puts there.
  std::map<std::string, std::string> replaced;
  for (const auto& file : before.files) {
    const std::string folder = Upper(Parent(file.first));
    const std::string name = NameOf(file.first);
    if (folder == Upper(kSource) && Upper(name) != "SETUP.EXE" && Upper(name) != "QUILOX_EN.SHX" &&
        Upper(name) != "QUILOX_HZ.SHX") {
      replaced[Upper(std::string(kInstallFolder) + "\\" + name)] = file.second;
    }
    if (folder == Upper(std::string(kSource) + "\\" + kLibrary)) {
      replaced[Upper(std::string(kInstallFolder) + "\\" + kLibrary + "\\" + name)] = file.second;
    }
  }
  for (int i = 0; i < kYearCount; ++i) {
    if (!o.selected[i]) continue;
    for (const std::string& acad : o.table.acadFolders[i]) {
      replaced[Upper(acad + "\\Fonts\\Quilox_EN.shx")] = before.files.at(Upper(std::string(kSource) + "\\Quilox_EN.shx"));
      replaced[Upper(acad + "\\Fonts\\Quilox_HZ.shx")] = before.files.at(Upper(std::string(kSource) + "\\Quilox_HZ.shx"));
      if (kFirstYear + i == 2008) {
        replaced[Upper(acad + "\\Drv\\pdfplot9.hdi")] = before.files.at(Upper(std::string(kSource) + "\\Quilox.prt5"));
      }
    }
  }
  auto clearsReadOnly = [&](const std::string& path) {
    const std::string upper = Upper(path);
    return upper.rfind(Upper(kSource) + "\\", 0) == 0 || upper.rfind(Upper(kInstallFolder) + "\\", 0) == 0;
  };

  for (const std::string& folder : before.folders) {
    if (after.folders.count(folder) == 0) losses += "folder " + folder + "\n";
  }
  for (const auto& file : before.files) {
    auto now = after.files.find(file.first);
    if (now == after.files.end()) {
      losses += "file " + file.first + "\n";
      continue;
    }
    auto replacement = replaced.find(Upper(file.first));
    const bool mayChange = replacement != replaced.end();
    if (now->second != file.second && !(mayChange && now->second == replacement->second)) {
      losses += "content " + file.first + "\n";
    }
    // A file left without attributes reports FILE_ATTRIBUTE_NORMAL.
    uint32_t mask = clearsReadOnly(file.first) ? ~(kAttrReadOnly | kAttrNormal) : ~0u;
    if (!mayChange && (now->second == file.second) &&
        (after.attributes.at(file.first) & mask) != (before.attributes.at(file.first) & mask)) {
      losses += "attributes " + file.first + "\n";
    }
  }
  for (const std::string& stream : before.streams) {
    const std::string file = stream.substr(0, stream.rfind(':'));
    const bool zoneOfSource =
        Upper(Parent(file)) == Upper(kSource) && stream.substr(stream.rfind(':') + 1) == "ZONE.IDENTIFIER";
    if (after.streams.count(stream) == 0 && !zoneOfSource && replaced.count(Upper(file)) == 0) {
      losses += "stream " + stream + "\n";
    }
  }
  return losses;
}

// ---- The messages ----

enum class BoxKind { CopyQuestion, SourceMissing, Completion, Other };

BoxKind KindOf(const ShownBox& box) {
  const std::string copyStart = std::string(kCopyFailedFormat).substr(0, std::string(kCopyFailedFormat).find("%s"));
  if (box.caption == kSetupCaption && box.style == kMbAbortRetryIgnore && box.text.rfind(copyStart, 0) == 0) {
    return BoxKind::CopyQuestion;
  }
  if (box.caption == kSetupCaption && box.style == kMbOk && box.text == kSourceMissingText) return BoxKind::SourceMissing;
  if (box.caption == kCompletionCaption && box.style == kMbOk &&
      (box.text == kInstalledText || box.text == kImportSettingsText)) {
    return BoxKind::Completion;
  }
  return BoxKind::Other;
}

// ---- The matrix ----

enum class Reply { Ignore, Abort, Retry };

struct Case {
  Layout layout;
  Reply reply;
};

std::string Name(const ::testing::TestParamInfo<Case>& info) {
  return std::string(info.param.layout == Layout::Upgrade ? "Upgrade" : "FirstInstall") +
         (info.param.reply == Reply::Ignore ? "AnsweringIgnore"
                                            : info.param.reply == Reply::Abort ? "AnsweringAbort" : "AnsweringRetry");
}

class InstallFaultMatrix : public ::testing::TestWithParam<Case> {
 protected:
  enum class Seam { Registry, Files };

  // A fresh machine, call `number` of the seam made to fail, the installation run and checked.
  // Returns false when the fault was never reached.
  bool RunWithFault(const Snapshot& before, Seam seam, size_t number) {
    MemoryPlatform m;
    BuildMachine(m, GetParam().layout);
    for (int i = 0; i < 64; ++i) {
      // Retry is answered a few times, then the first button (Abort) ends a question that stays.
      if (GetParam().reply == Reply::Retry && i >= 3) break;
      m.boxes.Answer(GetParam().reply == Reply::Ignore ? kIdIgnore
                                                       : GetParam().reply == Reply::Abort ? kIdAbort : kIdRetry);
    }
    if (seam == Seam::Registry) m.registry.FailCall(number);
    if (seam == Seam::Files) m.files.FailCall(number);

    const Outcome o = Install(m);
    const std::string failed = seam == Seam::Registry ? m.registry.FailedCall() : m.files.FailedCall();
    const std::string where =
        std::string(seam == Seam::Registry ? "registry" : "file") + " call " + std::to_string(number) + ": " + failed;
    const Snapshot after = Take(m);
    if (failed.empty()) return false;

    EXPECT_EQ(0u, m.registry.OpenHandles()) << where;
    EXPECT_EQ(0u, m.files.OpenListings()) << where;
    EXPECT_EQ("", Losses(before, after, o)) << where;
    CheckMessages(m, o, seam, failed, where);
    if (!o.completed) {
      // Stopped in the payload copy: nothing registered, nothing trusted, no support file.
      EXPECT_EQ(before.hklm, after.hklm) << where;
      EXPECT_EQ(before.hkcu, after.hkcu) << where;
      for (const Acad& a : kAcads) {
        const std::string fonts = Folder(a) + "\\Fonts\\Quilox_EN.shx";
        const auto old = before.files.find(Upper(fonts));
        EXPECT_EQ(old != before.files.end() ? old->second : "", m.files.Content(fonts)) << where;
      }
    }
    return true;
  }

  void CheckMessages(const MemoryPlatform& m, const Outcome& o, Seam seam, const std::string& failed,
                     const std::string& where) {
    const std::vector<ShownBox>& shown = m.boxes.Shown();
    size_t questions = 0, sourceMissing = 0, completions = 0;
    for (const ShownBox& box : shown) {
      EXPECT_EQ(kOwner, box.owner) << where;
      switch (KindOf(box)) {
        case BoxKind::CopyQuestion: ++questions; break;
        case BoxKind::SourceMissing: ++sourceMissing; break;
        case BoxKind::Completion: ++completions; break;
        case BoxKind::Other: ADD_FAILURE() << where << ": unexpected box " << box.text; break;
      }
    }
    ++faults_;
    if (questions != 0) ++asked_;
    if (!o.completed) ++stopped_;

    // The end is reported exactly when the installation went to its end.
    EXPECT_EQ(o.completed ? 2u : 0u, completions) << where;
    // The source check speaks only when the search for the Data folder itself failed.
    EXPECT_EQ(failed == std::string("FindFirst ") + kSource, sourceMissing != 0) << where;

    const bool libraryOrAcad = failed.find(kLibrary) != std::string::npos ||
                               failed.find("Program Files") != std::string::npos ||
                               failed.find("D:\\CAD") != std::string::npos;
    if (seam == Seam::Registry || libraryOrAcad) {
      // Registry, drawing library and support files: silent, and the installation goes on.
      EXPECT_EQ(0u, questions) << where;
      EXPECT_TRUE(o.completed) << where;
    }
    // A payload file that cannot be copied is never passed over silently.
    const std::string payloadCopy = std::string("Copy ") + kSource + "\\";
    const std::string target = failed.find(" -> ") == std::string::npos ? "" : failed.substr(failed.find(" -> ") + 4);
    if (failed.rfind(payloadCopy, 0) == 0 && Upper(Parent(target)) == Upper(kInstallFolder)) {
      ASSERT_GE(questions, 1u) << where;
      EXPECT_NE(std::string::npos, shown[0].text.find(target)) << where;
      EXPECT_EQ(GetParam().reply != Reply::Abort, o.completed) << where;
      if (GetParam().reply == Reply::Retry) {
        EXPECT_EQ(1u, questions) << where << ": one retry copies it";
      }
    }
    if (GetParam().reply == Reply::Abort && questions != 0) {
      EXPECT_FALSE(o.completed) << where;
    }
    if (GetParam().reply == Reply::Ignore) {
      // Answering Ignore, only a failed source check stops the installation, and before anything else.
      if (!o.completed) {
        ASSERT_EQ(1u, shown.size()) << where;
        EXPECT_EQ(BoxKind::SourceMissing, KindOf(shown[0])) << where;
      }
      EXPECT_EQ(0u, m.boxes.Unanswered()) << where;
    }
  }

  size_t faults_ = 0, asked_ = 0, stopped_ = 0;
};

TEST_P(InstallFaultMatrix, EveryCallFailingOnceLosesNothingAndSaysOnlyWhatItShould) {
  // The run without a fault: a real installation, and the number of calls it makes.
  MemoryPlatform clean;
  BuildMachine(clean, GetParam().layout);
  const Snapshot before = Take(clean);  // reading attributes back counts as calls too
  const size_t registryCallsBefore = clean.registry.Calls();
  const size_t fileCallsBefore = clean.files.Calls();
  const Outcome o = Install(clean);
  ASSERT_TRUE(o.completed);
  const size_t registryCalls = clean.registry.Calls() - registryCallsBefore;
  const size_t fileCalls = clean.files.Calls() - fileCallsBefore;
  const Snapshot after = Take(clean);
  ASSERT_EQ("", Losses(before, after, o));
  ASSERT_EQ(2u, clean.boxes.Shown().size());
  // The machine is worth the matrix: releases of both views found, every step did its work.
  EXPECT_EQ(2u, o.table.acadFolders[2009 - kFirstYear].size());
  EXPECT_EQ(2u, o.table.acadFolders[2025 - kFirstYear].size());
  EXPECT_FALSE(o.table.IsFound(2011));  // 32-bit 2011 is not taken
  EXPECT_EQ("new doors", clean.files.Content(std::string(kInstallFolder) + "\\" + kLibrary + "\\门窗.dwg"));
  EXPECT_EQ("new driver", clean.files.Content("C:\\Program Files\\AutoCAD 2008\\Drv\\pdfplot9.hdi"));
  EXPECT_EQ("new en font", clean.files.Content("D:\\CAD\\AutoCAD 2025 Mechanical\\Fonts\\Quilox_EN.shx"));
  EXPECT_EQ("C:\\TOOLS;C:\\QUILOX\\TESSARUNE",
            clean.registry.GetText(kHkeyCurrentUser, Variables("R17.1", "ACAD-6001:804", "<<未命名配置>>"),
                                   "TRUSTEDPATHS"));
  EXPECT_EQ(std::string(kInstallFolder) + "\\Quilox2010_32.ARX",
            clean.registry.GetText(kHkeyLocalMachine, ProductKey(kAcads[4]) + "Applications\\Quilox2010_32", "LOADER"));
  ASSERT_GT(registryCalls, 100u);
  ASSERT_GT(fileCalls, 50u);

  // Registry failures never ask and do not depend on the install folder: one variant covers them.
  const bool withRegistry = GetParam().layout == Layout::Upgrade && GetParam().reply == Reply::Ignore;
  size_t unreached = 0;
  for (size_t k = 1; withRegistry && k <= registryCalls; ++k) unreached += RunWithFault(before, Seam::Registry, k) ? 0 : 1;
  for (size_t k = 1; k <= fileCalls; ++k) unreached += RunWithFault(before, Seam::Files, k) ? 0 : 1;

  std::printf("[ faults   ] %zu registry calls, %zu file calls: %zu faults injected, %zu asked the user, "
              "%zu stopped the installation, %zu fell on calls that cannot fail (RegCloseKey, module path)\n",
              registryCalls, fileCalls, faults_, asked_, stopped_, unreached);
  RecordProperty("faults_injected", static_cast<int>(faults_));
  EXPECT_GT(faults_, ((withRegistry ? registryCalls : 0) + fileCalls) / 2);
}

INSTANTIATE_TEST_SUITE_P(Layouts, InstallFaultMatrix,
                         ::testing::Values(Case{Layout::Upgrade, Reply::Ignore}, Case{Layout::Upgrade, Reply::Abort},
                                           Case{Layout::Upgrade, Reply::Retry},
                                           Case{Layout::FirstInstall, Reply::Ignore},
                                           Case{Layout::FirstInstall, Reply::Abort},
                                           Case{Layout::FirstInstall, Reply::Retry}),
                         Name);

// ---- The process list ----

TEST(InstallFaults, AProcessListThatCannotBeReadDoesNotStopTheInstallation) {
  for (int which = 0; which < 2; ++which) {
    MemoryPlatform m;
    BuildMachine(m, Layout::Upgrade);
    m.processes.SetProcesses({"explorer.exe", "acad.exe"});
    if (which == 0) m.processes.FailSnapshot(true);
    if (which == 1) m.processes.FailFirst(true);
    const Outcome o = Install(m);
    EXPECT_TRUE(o.completed) << which;
    EXPECT_EQ(2u, m.boxes.Shown().size()) << which;
    EXPECT_EQ(0u, m.processes.OpenSnapshots()) << which;
  }
}

}  // namespace

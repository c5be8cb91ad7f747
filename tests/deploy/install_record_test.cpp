// The install record as text and back, what is refused, and how a later install merges in.
#include "deploy/install_record.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/cp936_code_page.h"

bool operator==(const RecordedFile& a, const RecordedFile& b) {
  return a.path == b.path && a.size == b.size && a.sha256 == b.sha256 && a.lastWrite == b.lastWrite;
}
bool operator==(const RecordedValue& a, const RecordedValue& b) {
  return a.key == b.key && a.name == b.name && a.existed == b.existed && a.oldType == b.oldType &&
         a.oldData == b.oldData && a.type == b.type && a.data == b.data;
}
bool operator==(const RecordedTrustedPath& a, const RecordedTrustedPath& b) {
  return a.sid == b.sid && a.variablesKey == b.variablesKey && a.valueCreated == b.valueCreated &&
         a.before == b.before && a.after == b.after && a.entries == b.entries;
}
bool operator==(const RecordedBackup& a, const RecordedBackup& b) {
  return a.original == b.original && a.backup == b.backup;
}

namespace {

const Cp936CodePage cp;
const std::string kHashA(64, 'a');
const std::string kHashB(64, 'b');
const std::string kHashC(64, 'c');
const char kUser[] = "S-1-5-21-1-2-3-1001";

void ExpectSame(const InstallRecord& expected, const InstallRecord& actual) {
  EXPECT_EQ(expected.version, actual.version);
  EXPECT_EQ(expected.time, actual.time);
  EXPECT_EQ(expected.account, actual.account);
  EXPECT_EQ(expected.installFolder, actual.installFolder);
  EXPECT_EQ(expected.earlierInstallFolders, actual.earlierInstallFolders);
  EXPECT_EQ(expected.history, actual.history);
  EXPECT_EQ(expected.newerLines, actual.newerLines);
  EXPECT_EQ(expected.createdFolders, actual.createdFolders);
  EXPECT_TRUE(expected.files == actual.files);
  EXPECT_EQ(expected.createdKeys, actual.createdKeys);
  EXPECT_TRUE(expected.values == actual.values);
  EXPECT_TRUE(expected.trustedPaths == actual.trustedPaths);
  EXPECT_TRUE(expected.backups == actual.backups);
  EXPECT_EQ(expected.failures, actual.failures);
}

InstallRecord Full() {
  InstallRecord r;
  r.version = "2026.03.31";
  r.time = "2026-12-08 10:00:00";
  r.account = "WORKSTATION\\管理员";
  r.installFolder = "C:\\運\\Tessarune";
  r.earlierInstallFolders = {"C:\\Quilox\\Tessarune", "D:\\Tessarune"};
  r.history = {"2026-12-08 10:00:00 WORKSTATION\\管理员: upgrading from 2025.01.01 to 2026.03.31"};
  r.createdFolders = {"C:\\運", "C:\\運\\Tessarune"};
  r.files = {{"C:\\運\\Tessarune\\说明.txt", 12345678901ull, kHashA}, {"C:\\a%b.txt", 0, "", 134100000000000000ull}};
  r.createdKeys = {"HKEY_USERS\\" + std::string(kUser) + "\\Software\\Autodesk\\AutoCAD\\R24.0\\ACAD-4101:804\\Profiles\\"
                   "<<未命名配置>>\\Variables"};
  r.values = {{"HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor", "Path\tname", true, 4, std::string("\x01\x00\x00\x00", 4), 1,
               std::string("C:\\運\\a\r\n%\0", 11)},
              {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor", "Raw", true, 3, "\xB0\xB2\x81", 3, "\x80\xA1"}};  // a character cut short: no text
  r.trustedPaths = {{kUser, "Software\\Autodesk\\AutoCAD\\R24.0\\ACAD-4101:804\\Profiles\\Custom\\Variables", false,
                     "D:\\Lisp", "D:\\LISP;C:\\運\\TESSARUNE;D:\\TESSARUNE", {"C:\\運\\TESSARUNE", "D:\\TESSARUNE"}}};
  r.backups = {{"C:\\Program Files (x86)\\Autodesk\\AutoCAD 2008\\Drv\\pdfplot9.hdi",
                "C:\\Program Files\\Quilox\\Tessarune Setup\\Backup\\pdfplot9.hdi"}};
  r.failures = {"file not written: C:\\x (error 5)"};
  return r;
}

TEST(InstallRecord, RoundTripsAsReadableUtf8) {
  const InstallRecord full = Full();
  const std::string text = SerializeInstallRecord(cp, full);
  // An administrator reads the lines: UTF-8, tab-separated, escapes only where needed.
  for (const std::string& line :
       {std::string("Tessarune Setup install record\t2\r\nversion\t2026.03.31\r\n"),
        std::string(u8"earlierInstallFolder\tD:\\Tessarune\r\n"),
        std::string(u8"\tD:\\Lisp\tD:\\LISP;C:\\運\\TESSARUNE;D:\\TESSARUNE\tC:\\運\\TESSARUNE\tD:\\TESSARUNE\r\n"),
        std::string(u8"account\tWORKSTATION\\管理员\r\n"),
        std::string(u8"file\tC:\\運\\Tessarune\\说明.txt\t12345678901\t") + kHashA + "\t0\r\n",
        std::string("file\tC:\\a%25b.txt\t0\t\t134100000000000000\r\n"),
        std::string(u8"value\tHKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\tPath%09name\tyes\t4\t%01%00%00%00\t1\tC:\\運\\a%0D%0A%25%00\r\n"),
        std::string("\tRaw\tyes\t3\t%B0%B2%81\t3\t%80%A1\r\n")}) {
    EXPECT_NE(std::string::npos, text.find(line)) << line << "\nin\n" << text;
  }
  InstallRecord parsed;
  ASSERT_TRUE(ParseInstallRecord(cp, text, &parsed));
  ExpectSame(full, parsed);

  InstallRecord empty;
  ASSERT_TRUE(ParseInstallRecord(cp, SerializeInstallRecord(cp, InstallRecord()), &parsed));
  ExpectSame(empty, parsed);

  // Format 1: a file without its time (never taken as unchanged), one trusted-path entry or none.
  ASSERT_TRUE(ParseInstallRecord(cp,
                                 "Tessarune Setup install record\t1\r\nfile\tC:\\x\t1\t\r\n"
                                 "trusted\tS-1\tK1\tno\tD:\\A\tD:\\A;C:\\Q\tC:\\Q\r\ntrusted\tS-1\tK2\tno\tc:\\q\tC:\\Q\t\r\n",
                                 &parsed));
  ASSERT_EQ(1u, parsed.files.size());
  EXPECT_EQ(0u, parsed.files[0].lastWrite);
  ASSERT_EQ(2u, parsed.trustedPaths.size());
  EXPECT_EQ(std::vector<std::string>{"C:\\Q"}, parsed.trustedPaths[0].entries);
  EXPECT_TRUE(parsed.trustedPaths[1].entries.empty());
}

// A newer setup's record: the kinds of line this one does not know are skipped, and written back
// as they were under the newer format's number.
TEST(InstallRecord, NewerFormatKeepsLinesOfUnknownKinds) {
  const std::string newer = "Tessarune Setup install record\t3\r\nversion\t2027.01.01\r\n"
                            "activeSetup\tHKEY_LOCAL_MACHINE\\X\t%09\r\ninstallFolder\tC:\\Q\\Tessarune\r\n";
  InstallRecord parsed;
  ASSERT_TRUE(ParseInstallRecord(cp, newer, &parsed));
  EXPECT_EQ(3u, parsed.format);
  EXPECT_EQ("2027.01.01", parsed.version);
  EXPECT_EQ("C:\\Q\\Tessarune", parsed.installFolder);
  EXPECT_EQ(std::vector<std::string>{"activeSetup\tHKEY_LOCAL_MACHINE\\X\t%09"}, parsed.newerLines);
  const std::string written = SerializeInstallRecord(cp, parsed);
  EXPECT_EQ(0u, written.find("Tessarune Setup install record\t3\r\n"));
  EXPECT_NE(std::string::npos, written.find("\r\nactiveSetup\tHKEY_LOCAL_MACHINE\\X\t%09\r\n"));
  // Nothing newer kept: this setup's own format.
  parsed.newerLines.clear();
  EXPECT_EQ(0u, SerializeInstallRecord(cp, parsed).find("Tessarune Setup install record\t2\r\n"));
}

TEST(InstallRecord, AnythingElseIsRefused) {
  const std::string header = "Tessarune Setup install record\t1\r\n";
  const std::string good = SerializeInstallRecord(cp, Full());
  const std::string cases[] = {
      "",
      "Tessarune Setup install record\t0\r\n",
      "Tessarune Setup install record\t\r\n",
      "Tessarune Setup install record\tx\r\n",
      "Other Setup install record\t1\r\n",
      "\xEF\xBB\xBF" + header,                        // a byte order mark
      "Tessarune Setup install record\t1\n",          // line feeds only
      header + "folder\tC:\\x",                       // the last line cut off
      header + "folders\tC:\\x\r\n",                  // an unknown line in a format this setup knows
      "Tessarune Setup install record\t2\r\nfolders\tC:\\x\r\n",
      "Tessarune Setup install record\t3\r\nfolder\tC:\\x\tnew field\r\n",  // a known kind changed
      "Tessarune Setup install record\t3\r\nnew\tC:\\\xFF\r\n",  // unknown, and no text
      header + "folder\tC:\\x\tC:\\y\r\n",            // a field too many
      header + "key\r\n",                             // one too few
      header + "file\tC:\\x\t-1\t\r\n",               // no size
      header + "file\tC:\\x\t18446744073709551616\t\r\n",
      header + "file\tC:\\x\t1\t" + std::string(64, 'A') + "\r\n",  // not a hash as written
      header + "file\tC:\\x\t1\t\tyesterday\r\n",
      header + "value\tK\tN\tmaybe\t1\t\t1\t\r\n",
      header + "value\tK\tN\tno\t4294967296\t\t1\t\r\n",
      header + "trusted\tS-1\tK\tno\t\r\n",
      header + "folder\tC:\\x%2\r\n",                 // a broken escape
      header + "folder\tC:\\x%g0\r\n",
      header + "folder\tC:\\\xFF\r\n",                // not UTF-8
      header + "folder\tC:\\\xE0\xB8\x81\r\n",        // a character the code page lacks
      header + "version\t1\r\nversion\t2\r\n",        // twice
      good.substr(0, good.size() - 1),
  };
  for (const std::string& text : cases) {
    SCOPED_TRACE(text);
    InstallRecord record = Full();
    EXPECT_FALSE(ParseInstallRecord(cp, text, &record));
    EXPECT_EQ("2026.03.31", record.version) << "left as it was";
  }
}

TEST(InstallRecord, LaterInstallMergesIn) {
  const std::string user = kUser;
  const std::string variables = "Software\\Autodesk\\AutoCAD\\R24.0\\ACAD-4101:804\\Profiles\\P\\Variables";
  const std::string apps = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Autodesk\\AutoCAD\\R24.0\\ACAD-4101:804\\Applications";
  InstallRecord earlier;
  earlier.version = "2025.01.01";
  earlier.time = "2026-01-01 08:00:00";
  earlier.account = "WS\\first";
  earlier.installFolder = "C:\\Quilox\\Tessarune";
  earlier.createdFolders = {"C:\\Quilox", "C:\\Quilox\\Tessarune"};
  earlier.files = {{"C:\\Quilox\\Tessarune\\a.arx", 1, kHashA}, {"C:\\Quilox\\Tessarune\\gone.txt", 2, kHashB}};
  earlier.createdKeys = {apps + "\\Quilox2021"};
  earlier.values = {{"HKEY_LOCAL_MACHINE\\SOFTWARE\\V", "X", true, 1, "first old", 1, "ours 1"},
                    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\V", "Y", false, 0, "", 1, "ours"}};
  earlier.trustedPaths = {{user, variables, true, "", "C:\\QUILOX\\TESSARUNE", {"C:\\QUILOX\\TESSARUNE"}}};
  earlier.backups = {{"C:\\A2008\\Drv\\pdfplot9.hdi", "C:\\R\\Backup\\pdfplot9.hdi"}};
  earlier.failures = {"earlier failure"};

  InstallRecord later;
  later.version = "2026.03.31";
  later.time = "2026-12-08 10:00:00";
  later.account = "WS\\second";
  later.installFolder = "C:\\Quilox\\Tessarune";
  later.createdFolders = {"C:\\Quilox\\Tessarune\\Lib", "C:\\QUILOX"};
  later.files = {{"c:\\quilox\\tessarune\\A.ARX", 3, kHashC}, {"C:\\Quilox\\Tessarune\\new.txt", 4, kHashB}};
  later.createdKeys = {apps + "\\Quilox2025", apps + "\\QUILOX2021"};
  later.values = {{"HKEY_LOCAL_MACHINE\\SOFTWARE\\v", "x", true, 1, "ours 1", 1, "ours 2"},
                  {apps + "\\Quilox2021", "LOADER", true, 1, "C:\\Quilox\\Tessarune\\a.arx", 1, "C:\\a.arx"},
                  {"HKEY_LOCAL_MACHINE\\SOFTWARE\\W", "Z", false, 0, "", 4, "1234"}};
  later.trustedPaths = {{user, variables, false, "C:\\QUILOX\\TESSARUNE", "C:\\QUILOX\\TESSARUNE", {}},
                        {"S-1-5-21-9", variables, false, "D:\\X", "D:\\X;C:\\Q", {"C:\\Q"}}};
  later.backups = {{"c:\\a2008\\drv\\PDFPLOT9.HDI", "C:\\R\\Backup\\pdfplot9 (2).hdi"},
                   {"C:\\B2008\\Drv\\pdfplot9.hdi", "C:\\R\\Backup\\pdfplot9 (2).hdi"}};
  later.failures = {"later failure"};

  InstallRecord expected;
  expected.version = "2026.03.31";
  expected.time = "2026-12-08 10:00:00";
  expected.account = "WS\\second";
  expected.installFolder = "C:\\Quilox\\Tessarune";
  expected.createdFolders = {"C:\\Quilox", "C:\\Quilox\\Tessarune", "C:\\Quilox\\Tessarune\\Lib"};
  // The same file rewritten: its latest size and hash; files of earlier installs stay listed.
  expected.files = {{"c:\\quilox\\tessarune\\A.ARX", 3, kHashC},
                    {"C:\\Quilox\\Tessarune\\gone.txt", 2, kHashB},
                    {"C:\\Quilox\\Tessarune\\new.txt", 4, kHashB}};
  expected.createdKeys = {apps + "\\Quilox2021", apps + "\\Quilox2025"};
  // A value first written earlier keeps its first old value; one in a key made earlier goes with it.
  expected.values = {{"HKEY_LOCAL_MACHINE\\SOFTWARE\\V", "X", true, 1, "first old", 1, "ours 2"},
                     {"HKEY_LOCAL_MACHINE\\SOFTWARE\\V", "Y", false, 0, "", 1, "ours"},
                     {"HKEY_LOCAL_MACHINE\\SOFTWARE\\W", "Z", false, 0, "", 4, "1234"}};
  // Created by the first install, found with the folder in it by the second: still created,
  // and the entry to take out stays.
  expected.trustedPaths = {{user, variables, true, "", "C:\\QUILOX\\TESSARUNE", {"C:\\QUILOX\\TESSARUNE"}},
                           {"S-1-5-21-9", variables, false, "D:\\X", "D:\\X;C:\\Q", {"C:\\Q"}}};
  // The first backup of an original is the one kept.
  expected.backups = {{"C:\\A2008\\Drv\\pdfplot9.hdi", "C:\\R\\Backup\\pdfplot9.hdi"},
                      {"C:\\B2008\\Drv\\pdfplot9.hdi", "C:\\R\\Backup\\pdfplot9 (2).hdi"}};
  // Failures are the latest install's.
  expected.failures = {"later failure"};

  MergeInstallRecord(cp, earlier, later);
  ExpectSame(expected, earlier);
}

// Installs into other folders: every folder left is kept; one moved back into is not. A profile's
// setting changed by someone between two installs is put back only as the later one found it.
TEST(InstallRecord, MovesAndTrustedPathsMergeIn) {
  const std::string a = "C:\\Quilox\\Tessarune", b = "D:\\Apps\\Tessarune", c = "E:\\Tessarune";
  struct Case {
    const char* name;
    std::vector<std::string> folders;  // of each install in turn
    std::vector<std::string> earlier;  // expected at the end
    std::vector<RecordedTrustedPath> changes;  // of each install in turn, one profile
    RecordedTrustedPath merged;
  } cases[] = {
      {"one folder", {a, "c:\\quilox\\TESSARUNE"}, {}, {{"S", "K", false, "x", "X;" + a, {a}}, {"S", "K", false, "X;" + a, "X;" + a, {}}},
       {"S", "K", false, "x", "X;" + a, {a}}},
      {"moved", {a, b}, {a}, {{"S", "K", true, "", a, {a}}, {"S", "K", false, a, a + ";" + b, {b}}},
       {"S", "K", true, "", a + ";" + b, {a, b}}},
      {"moved twice, then back", {a, b, c, a}, {b, c}, {}, {}},
      {"changed in between", {a, a}, {}, {{"S", "K", false, "x", "X;" + a, {a}}, {"S", "K", false, "X;" + a + ";Y", "X;" + a + ";Y", {}}},
       {"S", "K", false, "X;" + a + ";Y", "X;" + a + ";Y", {a}}},
      {"deleted in between", {a, a}, {}, {{"S", "K", false, "x", "X;" + a, {a}}, {"S", "K", true, "", a, {a}}},
       {"S", "K", true, "", a, {a}}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    InstallRecord merged;
    for (size_t i = 0; i < k.folders.size(); ++i) {
      InstallRecord later;
      later.installFolder = k.folders[i];
      if (i < k.changes.size()) later.trustedPaths = {k.changes[i]};
      if (i == 0) merged = later;
      else MergeInstallRecord(cp, merged, later);
    }
    EXPECT_EQ(k.folders.back(), merged.installFolder);
    EXPECT_EQ(k.earlier, merged.earlierInstallFolders);
    if (!k.changes.empty()) {
      EXPECT_TRUE(std::vector<RecordedTrustedPath>{k.merged} == merged.trustedPaths);
    }
  }
}

}  // namespace

// The run's log on the in-memory file system: its lines, its place and what it may replace.
#include "deploy/run_log.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "platform/cp936_code_page.h"
#include "tests/memory/memory_environment.h"
#include "tests/memory/memory_file_system.h"
#include "tests/memory/memory_log_files.h"

namespace {

const char kLog[] = "C:\\Logs\\SetUp 2026-12-08 100000.log";

struct Fixture {
  MemoryFileSystem files;
  MemoryLogFiles logFiles{files};
  Cp936CodePage codePage;
  MemoryEnvironment env;
  RunLog log{logFiles, files, codePage, env, "install", "/S"};
  Fixture() { files.AddFolder("C:\\Logs"); }
};

TEST(RunLog, WritesEachLineAsItComesAndEndsWithASummary) {
  Fixture f;
  InstallReport report;
  report.StreamTo(&f.log);
  report.Done("release selected: 2021");  // before the log has a place
  ASSERT_TRUE(f.log.OpenIn("C:\\Logs", kLogsKept));
  EXPECT_EQ(std::string(kLogHeader) + "\r\n", f.files.Content(kLog).substr(0, strlen(kLogHeader) + 2));
  report.Done("file written: C:\\Quilox\\Tessarune\\门窗.dwg");
  // Written at once: a run killed now leaves it.
  EXPECT_NE(std::string::npos, f.files.Content(kLog).find("2026-12-08 10:00:00 file written: "
                                                             "C:\\Quilox\\Tessarune\\\xE9\x97\xA8\xE7\xAA\x97.dwg\r\n"));
  report.Done("registry value written: HKEY_USERS\\S-1-5-21-9\\SOFTWARE\\A\\Profiles\\p\\Variables : TRUSTEDPATHS = a");
  report.Done("registry value written: HKEY_CURRENT_USER\\SOFTWARE\\A\\Profiles\\p\\Variables : TRUSTEDPATHS = a");
  report.Done("registry value written: HKEY_CURRENT_USER\\SOFTWARE\\A\\Profiles\\q\\Variables : TRUSTEDPATHS = a");
  report.Done("registry value written: HKEY_LOCAL_MACHINE\\SOFTWARE\\A : LOADER = x\ny\tz\x7F");
  report.Warning("folder not found");
  report.Failure("file not written");
  f.log.Close(1603);
  const std::string text = f.files.Content(kLog);
  EXPECT_NE(std::string::npos, text.find("10:00:00 release selected: 2021\r\n"));
  EXPECT_NE(std::string::npos, text.find(" : LOADER = x\\x0Ay\\x09z\\x7F\r\n")) << text;
  EXPECT_NE(std::string::npos,
            text.find("10:00:00 summary: 1 files, 4 registry entries, 3 profiles of 2 users updated, 1 warnings, "
                      "1 failures\r\n2026-12-08 10:00:00 exit code: 1603\r\n"))
      << text;
}

TEST(RunLog, ReplacesOnlyAnEarlierLogAndNeverThroughALink) {
  struct Case {
    const char* what;
    std::function<void(MemoryFileSystem&)> before;
    const char* path;
    bool opened;
    const char* left;  // a file and what it holds afterwards (its start)
  } cases[] = {
      {"a new file", nullptr, "C:\\Logs\\a.log", true, kLogHeader},
      {"an earlier log", [](MemoryFileSystem& m) { m.AddFile("C:\\Logs\\a.log", std::string(kLogHeader) + "\r\nold"); },
       "C:\\Logs\\a.log", true, "Tessarune Setup log\r\n2026"},
      {"someone else's file", [](MemoryFileSystem& m) { m.AddFile("C:\\Logs\\a.log", "precious"); }, "C:\\Logs\\a.log",
       false, "precious"},
      {"a file prepared under the temporary name", [](MemoryFileSystem& m) { m.AddFile("C:\\Logs\\~a.log.1.new", "x"); },
       "C:\\Logs\\a.log", true, kLogHeader},
      {"a folder that is a junction", [](MemoryFileSystem& m) { m.AddReparsePoint("C:\\Linked", 0xA0000003); },
       "C:\\Linked\\a.log", false, nullptr},
      {"a folder that is not there", nullptr, "C:\\Missing\\a.log", false, nullptr},
      {"a drive's root", nullptr, "C:\\a.log", true, kLogHeader},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fixture f;
    if (c.before) c.before(f.files);
    EXPECT_EQ(c.opened, f.log.OpenAt(c.path));
    f.log.Close(0);
    if (c.left) EXPECT_EQ(0u, f.files.Content(c.path).find(c.left)) << f.files.Content(c.path);
    // Nothing of the log's own is left under a temporary name; what was there stays.
    size_t temporary = 0;
    for (const std::string& name : f.files.Names("C:\\Logs")) temporary += name.find(".new") != std::string::npos;
    EXPECT_EQ(f.files.IsFile("C:\\Logs\\~a.log.1.new") ? 1u : 0u, temporary);
  }
}

TEST(RunLog, KeepsTheNewestLogsInItsFolder) {
  Fixture f;
  for (int day = 10; day < 22; ++day) f.files.AddFile("C:\\Logs\\SetUp 2026-11-" + std::to_string(day) + " 080000.log", "");
  f.files.AddFile("C:\\Logs\\notes.txt", "");
  ASSERT_TRUE(f.log.OpenIn("C:\\Logs", kLogsKept));
  const std::vector<std::string> names = f.files.Names("C:\\Logs");
  ASSERT_EQ(11u, names.size());
  EXPECT_EQ("notes.txt", names[0]);
  EXPECT_EQ("SetUp 2026-11-13 080000.log", names[1]);  // the oldest three gone, the new one in
  EXPECT_EQ("SetUp 2026-12-08 100000.log", names.back());
}

TEST(InstallReport, ExitCodeOfARunThatWentToItsEnd) {
  struct Case {
    bool restart, failure;
    int exitCode;
  } cases[] = {{false, false, 0}, {true, false, 3010}, {false, true, 1603}, {true, true, 1603}};
  for (const Case& c : cases) {
    InstallReport report;
    if (c.restart) report.WaitsForRestart("C:\\Quilox\\Tessarune\\Quilox2021.arx");
    if (c.failure) report.Failure("file not removed");
    EXPECT_EQ(c.exitCode, FinishedExitCode(report));
  }
}

}  // namespace

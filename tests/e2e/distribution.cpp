#include "distribution.h"

#include <gtest/gtest.h>

#include "automation/file_tree.h"
#include "automation/text.h"
#include "automation/wine_paths.h"
#include "setup_session.h"

namespace e2e {

namespace {
const char kAcadStandIn[] = "C:\\tessa_acad\\acad.exe";
}

std::string PayloadContent(const std::string& name) { return "Tessarune sample payload: " + name + "\r\n"; }

bool CopySetupIntoDistribution() {
  automation::CreateFolders(kDistFolder);
  return CopyFileW(automation::WideFromUtf8(SetupExePath()).c_str(), automation::WideFromUtf8(kDistSetup).c_str(),
                   FALSE) != FALSE;
}

void SeedDistribution() {
  std::vector<automation::FileSeed> seeds;
  auto add = [&](const std::string& rel) {
    const std::string name = rel.substr(rel.rfind('\\') + 1);  // npos + 1 is 0
    seeds.push_back(automation::FileSeed::File(std::string(kDataFolder) + "\\" + rel, PayloadContent(name)));
  };
  for (const char* name : kPayloadFiles) add(name);
  for (const char* name : {"Quilox_EN.shx", "Quilox_HZ.shx", "SetUp.exe"}) add(name);
  for (const char* name : kLibraryFiles) add(std::string(kLibrary) + "\\" + name);
  automation::SeedFiles(seeds);
}

automation::Program StartAcad(const std::string& sleeperUnixPath) {
  automation::CreateFolders("C:\\tessa_acad");
  EXPECT_TRUE(CopyFileW(automation::WideFromUtf8(automation::DosPathFromUnix(sleeperUnixPath)).c_str(),
                        automation::WideFromUtf8(kAcadStandIn).c_str(), FALSE));
  return automation::Program::Start(kAcadStandIn);
}

DWORD RunToEnd(automation::Program& program, const std::string& exePath, const std::vector<std::string>& args) {
  program = automation::Program::Start(exePath, args, WorkFolder());
  if (!program.WaitForExit(120000)) {
    ADD_FAILURE() << exePath << " did not end";
    return STILL_ACTIVE;
  }
  return program.ExitCode();
}

}  // namespace e2e

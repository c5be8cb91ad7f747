#include "machine_snapshot.h"

#include <windows.h>

#include "automation/file_tree.h"
#include "automation/registry_dump.h"
#include "setup_session.h"

namespace e2e {

namespace {

void Append(std::vector<std::string>* into, const std::vector<std::string>& lines) {
  into->insert(into->end(), lines.begin(), lines.end());
}

void AppendFolder(std::vector<std::string>* into, const std::string& folder) {
  into->push_back("root\t" + folder + (automation::PathExists(folder) ? "\tpresent" : "\tabsent"));
  Append(into, automation::ListFileTree(folder));
}

}  // namespace

MachineSnapshot TakeSnapshot(const harness::SimulatedMachine& machine) {
  MachineSnapshot snapshot;
  Append(&snapshot.registry, automation::DumpRegistryTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Autodesk"));
  Append(&snapshot.registry, automation::DumpRegistryTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Wow6432Node\\Autodesk"));
  Append(&snapshot.registry, automation::DumpRegistryTree(HKEY_CURRENT_USER, "Software"));
  for (const harness::SimulatedAcad& acad : machine.Installations()) AppendFolder(&snapshot.files, acad.Folder());
  AppendFolder(&snapshot.files, kDefaultInstallPath);
  AppendFolder(&snapshot.files, WorkFolder());
  return snapshot;
}

std::vector<std::string> DumpAllMachineSoftware() {
  return automation::DumpRegistryTree(HKEY_LOCAL_MACHINE, "SOFTWARE");
}

}  // namespace e2e

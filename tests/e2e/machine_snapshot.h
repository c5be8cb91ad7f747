// What the setup could have changed on the machine, for before/after comparisons: the AutoCAD
// keys of both registry views, everything of the current user's software settings, the AutoCAD
// folders and the default install folder.
#pragma once

#include <string>
#include <vector>

#include "simulated_machine.h"

namespace e2e {

constexpr char kDefaultInstallPath[] = "C:\\Quilox";

struct MachineSnapshot {
  std::vector<std::string> registry;
  std::vector<std::string> files;
};

MachineSnapshot TakeSnapshot(const harness::SimulatedMachine& machine);
// The whole of HKLM\SOFTWARE: slow under Wine (seconds), for the one case that wants it.
std::vector<std::string> DumpAllMachineSoftware();

}  // namespace e2e

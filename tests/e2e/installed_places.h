// Where an install with the default path puts things on the simulated machine.
#pragma once

namespace e2e {

constexpr char kInstallFolder[] = "C:\\Quilox\\Tessarune";
// What every install keeps beside the install folder: its record and Add/Remove Programs.
constexpr char kRecordFolder[] = "C:\\Program Files\\Quilox\\Tessarune Setup";
constexpr char kArpKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessarune";

}  // namespace e2e

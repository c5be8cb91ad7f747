// The distribution the end-to-end cases run SetUp.exe from (SetUp.exe of this build beside a
// sample Data folder), and a stand-in for a running AutoCAD.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "automation/program.h"

namespace e2e {

constexpr char kDistFolder[] = "C:\\tessa_dist";
constexpr char kDistSetup[] = "C:\\tessa_dist\\SetUp.exe";
constexpr char kDataFolder[] = "C:\\tessa_dist\\Data";
constexpr char kLibrary[] = "Quilox扩展绘图库";

// The payload files of the Data folder; SetUp.exe and the fonts are there too but not installed.
inline const char* const kPayloadFiles[] = {"Quilox2008.arx", "Quilox2009.arx", "Quilox2010.arx",
                                            "Quilox2010_32.arx", "Quilox2013.arx", "Quilox2018.arx",
                                            "Quilox2021.arx", "Quilox.prt5", "Readme.txt", "Tessarune使用说明.txt"};
inline const char* const kLibraryFiles[] = {"门窗.dwg", "Title block A3.dwg"};

// Each file of the sample says which it is.
std::string PayloadContent(const std::string& name);
bool CopySetupIntoDistribution();
// The Data folder with the payload, the fonts, a SetUp.exe and the drawing library.
void SeedDistribution();
// A process named acad.exe: the install tests' sleeper (a Unix path) copied under that name.
automation::Program StartAcad(const std::string& sleeperUnixPath);
// Starts the program in the work folder and waits for its end: its exit code, or STILL_ACTIVE
// (and a test failure) when it runs on.
DWORD RunToEnd(automation::Program& program, const std::string& exePath, const std::vector<std::string>& args);

}  // namespace e2e

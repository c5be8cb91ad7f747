// The texts of the setup dialog's version and bitness labels.
#pragma once

#include <string>

// "Tessarune软件 V2026.03.31" for 20260331 (yyyymmdd): month and day below 10 get a leading 0.
std::string VersionLabelText(int productVersion);

// "( 64位 AutoCAD版 )" for 64.
std::string BitnessLabelText(int bitness);

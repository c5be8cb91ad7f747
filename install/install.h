// File installation: the source folder, the copies, and the running-AutoCAD check.
#pragma once

#include <string>

#include "acad/acad_release_table.h"
#include "platform/platform.h"

// Receives one step per directory entry examined (the dialog's progress bar in the program).
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void Step() = 0;
};

struct InstallJob {
  std::string folder;      // the install folder, without trailing backslash
  ProgressSink* progress;  // borrowed
};

// True when a process whose file name contains "acad.exe" (any case) runs.
bool IsAcadRunning(const Platform& p);

// Message boxes are owned by `owner` (the setup dialog).
bool FindInstallSource(const Platform& p, WindowRef owner, std::string* sourcePath);

void ClearReadOnly(FileSystem& files, const std::string& path);
void RemoveZoneIdentifier(FileSystem& files, const std::string& path);
bool CopyPayload(const Platform& p, WindowRef owner, const InstallJob& job);
void CopyDrawingLibrary(const Platform& p, WindowRef owner, const InstallJob& job);

void InstallSupportFiles(const Platform& p, WindowRef owner, const AcadReleaseTable& table,
                         const int selected[kYearCount]);

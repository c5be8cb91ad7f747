// An install that keeps its record: the install runs on recording seams; afterwards the record is
// merged into the one kept in the record folder, the running SetUp.exe (read through the handle
// it was held by since start-up) is kept there as the uninstaller and, after a complete install,
// Add/Remove Programs lists the product. AutoCAD 2008's own plotter driver is saved there before
// the product's takes its place. The dialog and the silent install both go through it; what fails
// here goes into the report only.
#pragma once

#include <string>

#include "acad/acad_release_table.h"
#include "deploy/install_record.h"
#include "deploy/install_report.h"
#include "deploy/record_home.h"
#include "deploy/recording_file_system.h"
#include "deploy/recording_registry.h"
#include "deploy/run_log.h"
#include "platform/environment.h"
#include "platform/platform.h"

class RecordedInstall {
 public:
  // `boxes`: what the install shows its messages with. `selected` as for RegisterSelectedReleases.
  // `self`: the running SetUp.exe, held since start-up; the uninstaller is kept from it. Null when
  // it could not be held: no uninstaller is kept then, and that is a failure.
  RecordedInstall(const Platform& p, const Environment& env, MessageBoxes& boxes, InstallReport& report,
                  const AcadReleaseTable& table, const int selected[kYearCount], HeldFile* self);
  RecordedInstall(const RecordedInstall&) = delete;
  RecordedInstall& operator=(const RecordedInstall&) = delete;

  // The seams the install runs on.
  const Platform& platform() const { return recording_; }
  // When the install sequence starts: the record folder is made and held, and `log`, unless it
  // is open already (/LOG=), opens in its Logs folder.
  void Begin(RunLog* log);
  // The record of the product as installed before this run; null when there is none to trust.
  const InstallRecord* Installed() const { return hasEarlier_ ? &earlier_ : nullptr; }
  // Once the install folder is known: logs what this install is (an upgrade, a move) and keeps
  // that for the record. Finish does it when it has not been done.
  void Announce(const std::string& installFolder);
  // After the install into `installFolder`; `completed` when it ran to its end.
  void Finish(const std::string& installFolder, bool completed);

 private:
  // The record folder made ready, once its pending deletions are cancelled.
  bool PrepareHome(std::string* why);
  void KeepDriver(const std::string& original, const std::string& productDriverSha256);
  void KeepUninstaller();
  // TessaruneUser.exe beside the uninstaller, from the bytes this setup carries; false when not kept.
  bool KeepUserProgram();
  void RegisterActiveSetup();
  void ListInAddRemovePrograms(const std::string& installFolder);
  // The earlier installs' record with this one's.
  InstallRecord Merged() const;

  const Platform& p_;
  const Environment& env_;
  InstallReport& report_;
  HeldFile* self_;
  RecordHome home_;
  InstallRecord earlier_;
  bool hasEarlier_ = false;
  bool announced_ = false;
  bool pendingCancelled_ = false;
  InstallRecord record_;
  RecordingRegistry registry_;
  RecordingFileSystem files_;
  const Platform recording_;
};

// /UNINSTALL from start to end: the record, AutoCAD, the question, the removal, the result.
#include "deploy/uninstall.h"

#include "deploy/record_folder.h"
#include "deploy/uninstall_texts.h"
#include "install/exit_codes.h"
#include "install/install.h"
#include "install/install_texts.h"
#include "platform/mb_string.h"

namespace {

constexpr WindowRef kNoWindow = 0;
// Kept and failed items named in the result box; the log names every one.
constexpr size_t kItemsShown = 10;

// What stayed: the lines of the report that are not plain progress.
std::string StayedText(const InstallReport& report, size_t fromLine) {
  std::string text;
  size_t shown = 0;
  for (size_t i = fromLine; i < report.Lines().size(); ++i) {
    const std::string& line = report.Lines()[i];
    if (line.compare(0, 9, "warning: ") != 0 && line.compare(0, 8, "FAILED: ") != 0) continue;
    if (shown++ == kItemsShown) {
      text += "...\n";
      break;
    }
    text += line + "\n";
  }
  return text;
}

}  // namespace

RecordFound LoadInstallRecord(const Platform& p, const Environment& env, InstallRecord* record) {
  const std::string folder = RecordFolder(env);
  const std::string file = folder + "\\" + kRecordFileName;
  if (!p.files.Exists(file)) return RecordFound::None;
  const std::string parent = folder.substr(0, FindLastBackslash(p.codePage, folder));
  for (const std::string& path : {parent, folder, file}) {
    if (p.files.IsRedirection(path) || p.files.Owner(path) != Ownership::Administration) return RecordFound::Unreadable;
  }
  std::string bytes;
  const long rc = p.files.ReadFile(file, &bytes);
  if (rc != kOk || !ParseInstallRecord(p.codePage, bytes, record)) return RecordFound::Unreadable;
  return RecordFound::Read;
}

int RunUninstall(const Platform& p, const Environment& env, bool silent, InstallReport& report,
                 const std::string& copyFolder) {
  InstallRecord record;
  const RecordFound found = LoadInstallRecord(p, env, &record);
  if (found == RecordFound::Unreadable) {
    report.Failure("the install record cannot be read: " + RecordFolder(env) + "\\" + kRecordFileName);
    if (!silent) p.boxes.Show(kNoWindow, kRecordUnreadableText, kSetupCaption, kMbOk);
    return kExitFailed;
  }
  if (found == RecordFound::None) {
    // Deployment tools count "not there" as removed.
    report.Done("nothing to uninstall: no install record in " + RecordFolder(env));
    if (!silent) p.boxes.Show(kNoWindow, kNothingToUninstallText, kSetupCaption, kMbOk);
    return kExitDone;
  }
  if (IsAcadRunning(p)) {
    report.Failure("AutoCAD is running: nothing removed; close it and run the uninstall again");
    if (!silent) p.boxes.Show(kNoWindow, kCloseAcadText, kSetupCaption, kMbOk);
    return kExitAcadRunning;
  }
  if (!silent && p.boxes.Show(kNoWindow, kUninstallQuestionText, kSetupCaption, kMbYesNo | kMbIconQuestion) != kIdYes) {
    report.Done("uninstall declined: nothing removed");
    return kExitUserDeclined;
  }

  report.Done("uninstalling " + record.version + " from " + record.installFolder);
  const size_t firstLine = report.Lines().size();
  const int failuresBefore = report.Failures();
  RemoveRecordedInstall(p, env, record, report, copyFolder);
  const bool failed = report.Failures() > failuresBefore;
  if (!silent) {
    const std::string stayed = StayedText(report, firstLine);
    p.boxes.Show(kNoWindow, stayed.empty() ? std::string(kUninstalledText) : kUninstalledExceptText + stayed,
                 kSetupCaption, kMbOk);
  }
  return failed ? kExitFailed : FinishedExitCode(report);
}

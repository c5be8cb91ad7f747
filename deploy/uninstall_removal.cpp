// The removal of what an install record names, in the order uninstall.h gives.
#include <string>

#include "deploy/record_folder.h"
#include "deploy/uninstall.h"
#include "deploy/uninstall_removal.h"

void RemoveRecordedInstall(const Platform& p, const Environment& env, const InstallRecord& record,
                           InstallReport& report, const std::string& copyFolder) {
  // The header and the history stay; each list gets back what could not be removed.
  InstallRecord remains = record;
  remains.files.clear();
  remains.backups.clear();
  remains.createdFolders.clear();
  remains.createdKeys.clear();
  remains.values.clear();
  remains.trustedPaths.clear();
  remains.failures.clear();
  const int failuresBefore = report.Failures();
  FileRemoval files(p, env, record, remains, report, copyFolder);
  RegistryRemoval registry(p, env, record, remains, report);
  files.RemoveFiles();
  files.PutBackBackups();
  registry.RemoveCreatedKeys();
  registry.RemoveAddedValues();
  for (const RecordedTrustedPath& change : record.trustedPaths) registry.TakeOutTrustedPath(change);
  registry.RemoveUserEntries();
  files.RemoveCreatedFolders(false);
  files.RemoveRecordFolderContents();
  // Add/Remove Programs and the record go last, and only when everything else is done: until
  // then the uninstall can be started again, and finds what is left.
  if (report.Failures() > failuresBefore) {
    files.KeepRemains();
    return;
  }
  if (!registry.RemoveKey(kHkeyLocalMachine, kUninstallKey, std::string("HKEY_LOCAL_MACHINE\\") + kUninstallKey)) return;
  files.RemoveRecordFolder();
  files.RemoveCreatedFolders(true);
}

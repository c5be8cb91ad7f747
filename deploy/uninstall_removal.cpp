// The removal of what an install record names, in the order uninstall.h gives.
#include <string>

#include "deploy/record_folder.h"
#include "deploy/uninstall.h"
#include "deploy/uninstall_removal.h"

void RemoveRecordedInstall(const Platform& p, const Environment& env, const InstallRecord& record,
                           InstallReport& report) {
  FileRemoval files(p, env, record, report);
  RegistryRemoval registry(p, env, record, report);
  files.RemoveFiles();
  files.PutBackBackups();
  registry.RemoveCreatedKeys();
  registry.RemoveAddedValues();
  for (const RecordedTrustedPath& change : record.trustedPaths) registry.TakeOutTrustedPath(change);
  registry.RemoveUserEntries();
  files.RemoveCreatedFolders(false);
  files.RemoveRecordFolder();
  files.RemoveCreatedFolders(true);
  registry.RemoveKey(kHkeyLocalMachine, kUninstallKey, std::string("HKEY_LOCAL_MACHINE\\") + kUninstallKey);
}

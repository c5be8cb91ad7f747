#include "deploy/user_trusted_paths.h"

#include <cstdint>
#include <vector>

#include "acad/acad_release_table.h"
#include "deploy/record_home.h"
#include "deploy/recording_registry.h"
#include "install/exit_codes.h"
#include "tessa_version.h"

namespace {

std::vector<uint64_t> VersionParts(const std::string& text) {
  std::vector<uint64_t> parts;
  uint64_t n = 0;
  bool digits = false;
  for (char c : text + ",") {
    if (c >= '0' && c <= '9' && n < UINT32_MAX) {
      n = n * 10 + static_cast<uint64_t>(c - '0');
      digits = true;
    } else if (c == ',' && digits) {
      parts.push_back(n);
      n = 0;
      digits = false;
    } else {
      return {};
    }
  }
  return parts;
}

}  // namespace

std::string ActiveSetupVersion(const std::string& localTime, const std::string& existing) {
  // "yyyy-mm-dd hh:mm:ss": the year, month and day, hours and minutes.
  std::string digits;
  for (char c : localTime) {
    if (c >= '0' && c <= '9') digits += c;
  }
  std::vector<uint64_t> ours = {0, 0, 0, 0};
  if (digits.size() >= 12) {
    ours = {std::stoull(digits.substr(0, 4)), std::stoull(digits.substr(4, 4)), std::stoull(digits.substr(8, 4)), 0};
  }
  std::vector<uint64_t> before = VersionParts(existing);
  if (before.size() == 4 && before >= ours) {
    ours = before;
    ++ours[3];
  }
  return std::to_string(ours[0]) + "," + std::to_string(ours[1]) + "," + std::to_string(ours[2]) + "," +
         std::to_string(ours[3]);
}

bool ReadUserRecord(const Platform& p, RegHandle userRoot, InstallRecord* record) {
  RegKey key(p.registry);
  if (key.Open(userRoot, kUserRecordKey, RegAccess::Read) != kOk) return false;
  uint32_t type = 0;
  std::string text;
  return p.registry.GetBytes(key.Handle(), kUserRecordValue, &type, &text) == kOk && type == kRegBinary &&
         ParseInstallRecord(p.codePage, text, record);
}

int AddTrustedPathsForThisUser(const Platform& p, const Environment& env, InstallReport& report) {
  // The record folder is the administrators': what it names may be trusted.
  RecordHome home(p.files, p.codePage, env);
  InstallRecord installed;
  if (!home.ReadRecord(&installed) || installed.installFolder.empty()) {
    report.Failure("no install record to read: " + home.Path());
    return kExitFailed;
  }
  InstallRecord added;
  RecordingRegistry recording(p.registry, p.codePage, env, report, added);
  const Platform reporting{recording, p.files, p.processes, p.boxes, p.codePage};
  AcadReleaseTable::AddTrustedPath(reporting, installed.installFolder, kHkeyCurrentUser);
  if (added.trustedPaths.empty() && added.createdKeys.empty()) return report.Failures() == 0 ? kExitDone : kExitFailed;

  added.version = TESSA_VERSION_TEXT;
  added.time = env.LocalTime();
  added.account = env.UserName();
  added.installFolder = installed.installFolder;
  InstallRecord record;
  if (ReadUserRecord(p, kHkeyCurrentUser, &record)) {
    MergeInstallRecord(p.codePage, record, added);
  } else {
    record = added;
  }
  const std::string text = SerializeInstallRecord(p.codePage, record);
  RegKey key(p.registry);
  long rc = key.Create(kHkeyCurrentUser, kUserRecordKey);
  if (rc == kOk) {
    rc = p.registry.SetValue(key.Handle(), kUserRecordValue, kRegBinary, reinterpret_cast<const unsigned char*>(text.data()),
                             static_cast<uint32_t>(text.size()));
  }
  if (rc != kOk) report.Failure(std::string("record not written: HKEY_CURRENT_USER\\") + kUserRecordKey + ErrorText(rc));
  return report.Failures() == 0 ? kExitDone : kExitFailed;
}

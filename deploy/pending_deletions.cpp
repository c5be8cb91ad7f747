#include "deploy/pending_deletions.h"

#include "platform/mb_string.h"
#include "platform/utf16.h"

namespace {

// Where the NUL unit at or after `at` begins; npos when there is none.
size_t NulUnit(const std::string& list, size_t at) {
  for (size_t i = at; i + 1 < list.size(); i += 2) {
    if (list[i] == '\0' && list[i + 1] == '\0') return i;
  }
  return std::string::npos;
}

// NT paths of DOS ones carry "\??\"; letters other than ASCII have no case in these paths' names
// that the filter would need (a CJK name has none).
bool IsIn(const std::string& ntPathUtf16, const std::string& upperFolder) {
  std::string path = AsciiUpper(Utf8FromUtf16(ntPathUtf16));
  if (path.rfind("\\??\\", 0) == 0) path = path.substr(4);
  return path == upperFolder || path.rfind(upperFolder + "\\", 0) == 0;
}

}  // namespace

std::string WithoutPendingOperationsIn(const std::string& list, const std::string& folderUtf8, size_t* removed) {
  const std::string folder = AsciiUpper(folderUtf8);
  *removed = 0;
  std::string kept;
  size_t at = 0;
  for (;;) {
    const size_t fromEnd = NulUnit(list, at);
    // An empty first path is the list's end.
    if (fromEnd == std::string::npos || fromEnd == at) break;
    const size_t toEnd = NulUnit(list, fromEnd + 2);
    if (toEnd == std::string::npos) break;
    if (IsIn(list.substr(at, fromEnd - at), folder)) {
      ++*removed;
    } else {
      kept += list.substr(at, toEnd + 2 - at);
    }
    at = toEnd + 2;
  }
  return kept + list.substr(at);
}

void CancelPendingOperationsIn(Registry& registry, const CodePage& cp, const std::string& folder,
                               InstallReport& report) {
  RegKey key(registry);
  if (key.Open(kHkeyLocalMachine, kSessionManagerKey, RegAccess::ReadWrite) != kOk) return;
  uint32_t type = 0;
  std::string list;
  long rc = registry.GetWideBytes(key.Handle(), kPendingOperationsValue, &type, &list);
  if (IsNotFound(rc)) return;
  const std::string where = std::string("HKEY_LOCAL_MACHINE\\") + kSessionManagerKey + " : " + kPendingOperationsValue;
  if (rc != kOk) {
    report.Failure("restart operations cannot be read: " + where + ErrorText(rc));
    return;
  }
  size_t removed = 0;
  const std::string rest = WithoutPendingOperationsIn(list, cp.ToUtf8(folder), &removed);
  if (removed == 0) return;
  const bool empty = rest.find_first_not_of('\0') == std::string::npos;
  rc = empty ? registry.DeleteValue(key.Handle(), kPendingOperationsValue)
             : registry.SetWideValue(key.Handle(), kPendingOperationsValue, type, rest);
  if (rc == kOk) {
    report.Done("restart operations on " + folder + " cancelled: " + std::to_string(removed));
  } else {
    report.Failure("restart operations on " + folder + " not cancelled: " + where + ErrorText(rc));
  }
}

#include "picker/folder_validation.h"

#include <cstring>
#include <string>

#include "picker/folder_texts.h"
#include "platform/folder_security.h"
#include "platform/mb_string.h"

namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The path goes in as plain text, never as a format string: a '%' in a folder name stays itself.
std::string FolderMessage(const std::string& path, const char* tail) {
  return kFolderMessageHead + path + tail;
}

// The application's name, as the framework's standard message box shows it.
std::string AppCaption(const Platform& p) { return BaseNameWithoutExtension(p.codePage, p.files.ModulePath()); }

int ShowFailure(const Platform& p, WindowRef owner, const std::string& path, int result) {
  const char* tail = result == 1 ? kInvalidMessage : kNotCreatedMessage;
  p.boxes.Show(owner, FolderMessage(path, tail), AppCaption(p), kMbOk | kMbIconExclamation);
  return result;
}

}  // namespace

void ShowInvalidPath(const Platform& p, WindowRef owner, const std::string& path) { ShowFailure(p, owner, path, 1); }

int ConfirmInstallPath(const Platform& p, WindowRef owner, const char* path) {
  const std::string text = path ? path : "";
  int result = CheckOrCreatePath(p.files, path, true);
  if (result != 0) return ShowFailure(p, owner, text, result);

  // A file of that name counts too: GetFileAttributesA succeeds for it.
  if (p.files.Exists(text)) return 0;

  int answer = p.boxes.Show(owner, FolderMessage(text, kNotExistQuestion), AppCaption(p), kMbYesNo | kMbIconQuestion);
  if (answer != kIdYes) return -1;

  result = CheckOrCreatePath(p.files, path, false);
  if (result != 0) return ShowFailure(p, owner, text, result);
  return 0;
}

// Works on a std::string copy of the whole text, whatever its length: every byte the caller holds
// is checked, so a result of 0 never covers a tail that was not looked at.
int CheckOrCreatePath(FileSystem& files, const char* path, bool checkOnly) {
  if (!path) return 1;
  const std::string text = path;
  if (text.size() < 3) return 1;
  if (!IsAsciiLetter(text[0]) || text[1] != ':' || text[2] != '\\') return 1;

  // A drive root is never created: it is there or it is not.
  if (text.size() == 3) return (checkOnly || files.Exists(text)) ? 0 : 2;

  // Byte-wise on purpose: every 0x5C ends a component, also the trail byte of a double-byte character.
  size_t start = 3;
  for (;;) {
    size_t end = text.find('\\', start);
    if (end == std::string::npos) end = text.size();

    if (!IsValidPathComponent(text.substr(start, end - start).c_str())) return 1;
    if (!checkOnly) {
      const std::string prefix = text.substr(0, end);
      // A user could rename or replace a folder that inherited the rights of its parent. A level
      // that was missing and then "already exists" was made by someone else meanwhile: it counts
      // as not created.
      if (!files.Exists(prefix)) {
        const long made = files.MakeSecuredDirectory(prefix, kProtectedFolderSddl);
        if (made == kErrAlreadyExists || !files.Exists(prefix)) return 2;
      }
    }

    if (end == text.size()) return 0;
    if (end + 1 == text.size()) return 1;  // a trailing backslash, other than a drive root's
    start = end + 1;
  }
}

bool IsValidPathComponent(const char* name) {
  if (!name || !*name) return false;
  const std::string text = name;
  auto blank = [](char c) { return c == '\t' || c == ' ' || c == '.'; };
  // Also rejects "." and "..".
  if (blank(text.front()) || blank(text.back())) return false;
  // ';' separates the entries of AutoCAD's trusted paths: a name holding one would add others.
  return text.find_first_of("\"*/:;<>?\\|") == std::string::npos;
}

bool IsTypedInstallPath(const CodePage& cp, const std::string& text) {
  if (text.size() < 3 || !IsAsciiLetter(text[0]) || text[1] != ':' || text[2] != '\\') return false;
  for (size_t i = 2; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (cp.IsLeadByte(c)) {
      // The trail byte may be any byte, '|' and '\\' among them; a lead byte without one is no character.
      if (++i == text.size()) return false;
      continue;
    }
    if (c < 0x20 || std::strchr("\"*/:;<>?|", c) != nullptr) return false;
  }
  return true;
}

#include "platform/win32/win32_environment.h"

#include <windows.h>

#include <sddl.h>

#include <cstdio>
#include <vector>

namespace {

std::string WithoutTrailingBackslash(std::string path) {
  // An ANSI path from Windows: a final 0x5C after a lead byte would be a trail byte.
  if (path.size() > 3 && path.back() == '\\' && !IsDBCSLeadByte(static_cast<BYTE>(path[path.size() - 2]))) {
    path.pop_back();
  }
  return path;
}

// The token's user: the account the process runs as. Empty when it cannot be read.
std::vector<unsigned char> ProcessUser() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  DWORD size = 0;
  GetTokenInformation(token, ::TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size);
  if (size == 0 || !GetTokenInformation(token, ::TokenUser, buffer.data(), size, &size)) buffer.clear();
  CloseHandle(token);
  return buffer;
}

}  // namespace

std::string Win32Environment::ProgramFilesFolder() const {
  // Where Windows itself keeps it, in the 64-bit view: the environment of the process that
  // started the setup could say anything.
  char folder[MAX_PATH + 1] = "";
  DWORD size = sizeof folder - 1;
  HKEY key = nullptr;
  bool found = false;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                    KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) == ERROR_SUCCESS) {
    DWORD type = 0;
    found = RegQueryValueExA(key, "ProgramFilesDir", nullptr, &type, reinterpret_cast<BYTE*>(folder), &size) ==
                ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ) && size > 1;
    RegCloseKey(key);
  }
  if (!found) return "C:\\Program Files";
  folder[size] = '\0';
  return WithoutTrailingBackslash(folder);
}

std::string Win32Environment::TempFolder() const {
  char folder[MAX_PATH + 2] = "";
  const DWORD length = GetTempPathA(sizeof folder, folder);
  if (length == 0 || length >= sizeof folder) return "";
  return WithoutTrailingBackslash(std::string(folder, length));
}

std::string Win32Environment::UserSid() const {
  std::vector<unsigned char> user = ProcessUser();
  if (user.empty()) return "";
  char* text = nullptr;
  if (!ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &text)) return "";
  std::string sid = text;
  LocalFree(text);
  return sid;
}

std::string Win32Environment::UserName() const {
  std::vector<unsigned char> user = ProcessUser();
  if (user.empty()) return "";
  char name[256] = "", domain[256] = "";
  DWORD nameSize = sizeof name, domainSize = sizeof domain;
  SID_NAME_USE use;
  if (!LookupAccountSidA(nullptr, reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, name, &nameSize, domain,
                         &domainSize, &use)) {
    return "";
  }
  return domain[0] ? std::string(domain) + "\\" + name : std::string(name);
}

std::string Win32Environment::LocalTime() const {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                now.wMinute, now.wSecond);
  return text;
}

std::string Win32Environment::WindowsFolder() const {
  // The system's own, not the user's %windir% on a terminal server.
  char folder[MAX_PATH + 1] = "";
  const UINT length = GetSystemWindowsDirectoryA(folder, sizeof folder);
  if (length == 0 || length >= sizeof folder) return "C:\\Windows";
  return WithoutTrailingBackslash(std::string(folder, length));
}

unsigned Win32Environment::AnsiCodePage() const { return GetACP(); }

bool Win32Environment::DesktopVisible() const {
  USEROBJECTFLAGS flags = {};
  DWORD needed = 0;
  // When it cannot be told, a box nobody sees is the worse mistake: a hung deployment.
  return GetUserObjectInformationA(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags, &needed) &&
         (flags.dwFlags & WSF_VISIBLE) != 0;
}

std::string Win32Environment::UserProgram() const {
  if (userProgramResource == 0) return std::string();
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(userProgramResource), MAKEINTRESOURCEA(10));  // RT_RCDATA
  HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return std::string();
  return std::string(static_cast<const char*>(bytes), SizeofResource(nullptr, found));
}

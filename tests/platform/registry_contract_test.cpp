// What the logic relies on from the registry, checked once against the in-memory registry and,
// in the Windows build, against advapi32 as well, so that the fake cannot drift from the real thing.
// Every case works inside a throwaway sandbox key under one root.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/memory/memory_registry.h"
#include "platform/registry.h"
#include "platform/utf16.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/win32_registry.h"
#endif

namespace {

// A registry with a fresh, empty key to work in; the key and everything below it go at the end.
class Sandbox {
 public:
  Sandbox(std::unique_ptr<Registry> registry, RegHandle root, std::string path, bool wine)
      : registry_(std::move(registry)), root_(root), path_(std::move(path)), wine_(wine) {
    DeleteTree(root_, path_);
    long rc = registry_->Create(root_, path_, &base_);
    if (rc != kOk) throw std::runtime_error("cannot create the sandbox key: " + std::to_string(rc));
  }
  ~Sandbox() {
#ifdef _WIN32
    for (const std::string& file : files_) DeleteFileA(file.c_str());
#endif
    registry_->Close(base_);
    DeleteTree(root_, path_);
    // Remove the parents too unless another run still uses them (then Delete refuses).
    std::string parent = path_;
    for (size_t cut = parent.rfind('\\'); cut != std::string::npos; cut = parent.rfind('\\')) {
      parent.erase(cut);
      if (parent == "Software" || registry_->Delete(root_, parent) != kOk) break;
    }
  }

  Registry& reg() { return *registry_; }
  RegHandle root() const { return root_; }
  RegHandle base() const { return base_; }
  const std::string& path() const { return path_; }
  std::string Below(const std::string& sub) const { return path_ + "\\" + sub; }
  // Running against advapi32 under Wine, where a few documented Windows results differ.
  bool wine() const { return wine_; }

  // A hive file of this run, not there yet.
  std::string HiveFile(const std::string& name) {
    std::string file = HiveFolder() + "\\tessa_contract_" + name + ".hive";
#ifdef _WIN32
    DeleteFileA(file.c_str());
#endif
    files_.push_back(file);
    return file;
  }
  // Saves root\path and what is below it as a hive file, as RegSaveKey does.
  void SaveHive(const std::string& path, const std::string& file) {
    if (auto* memory = dynamic_cast<MemoryRegistry*>(registry_.get())) {
      memory->SaveHive(root_, path, file);
      return;
    }
#ifdef _WIN32
    RegHandle key = 0;
    ASSERT_EQ(kOk, registry_->Open(root_, path, RegAccess::Read, &key));
    EnableBackupPrivilege();
    EXPECT_EQ(ERROR_SUCCESS, RegSaveKeyA(reinterpret_cast<HKEY>(key), file.c_str(), nullptr));
    registry_->Close(key);
#endif
  }
  std::string MountName(const std::string& name) const {
#ifdef _WIN32
    return "TessaruneContract" + name + std::to_string(GetCurrentProcessId());
#else
    return "TessaruneContract" + name;
#endif
  }

 private:
  void DeleteTree(RegHandle parent, const std::string& sub) {
    RegHandle h = 0;
    if (registry_->Open(parent, sub, RegAccess::ReadWrite, &h) != kOk) return;
    std::vector<std::string> names;
    for (uint32_t i = 0;; ++i) {
      char name[256];
      uint32_t size = sizeof name;
      if (registry_->EnumSubkey(h, i, name, &size) != kOk) break;
      names.push_back(name);
    }
    for (const std::string& name : names) DeleteTree(h, name);
    registry_->Close(h);
    registry_->Delete(parent, sub);
  }

  std::unique_ptr<Registry> registry_;
  RegHandle root_;
  std::string path_;
  bool wine_;
  RegHandle base_ = 0;
  std::vector<std::string> files_;

  static std::string HiveFolder() {
#ifdef _WIN32
    char temp[MAX_PATH + 1] = "";
    DWORD length = GetTempPathA(sizeof temp, temp);
    if (length > 0 && temp[length - 1] == '\\') temp[length - 1] = '\0';
    return temp;
#else
    return "C:\\Hives";
#endif
  }
#ifdef _WIN32
  // RegSaveKey needs the backup privilege enabled, as the setup's hive loading does.
  static void EnableBackupPrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) return;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueA(nullptr, "SeBackupPrivilege", &privileges.Privileges[0].Luid)) {
      AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    }
    CloseHandle(token);
  }
#endif
};

struct Flavour {
  const char* name;
  std::function<std::unique_ptr<Sandbox>()> make;
};

std::string SandboxPath() {
#ifdef _WIN32
  return "Software\\TessaruneContract\\" + std::to_string(GetCurrentProcessId()) + "\\Case";
#else
  return "Software\\TessaruneContract\\1\\Case";
#endif
}

#ifdef _WIN32
// Whether the process token has the privilege enabled now.
bool PrivilegeEnabled(const char* name) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  LUID luid = {};
  DWORD size = 0;
  GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size);
  bool enabled = false;
  if (size > 0 && LookupPrivilegeValueA(nullptr, name, &luid) &&
      GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size)) {
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
      const LUID_AND_ATTRIBUTES& p = privileges->Privileges[i];
      if (p.Luid.LowPart == luid.LowPart && p.Luid.HighPart == luid.HighPart) {
        enabled = (p.Attributes & SE_PRIVILEGE_ENABLED) != 0;
      }
    }
  }
  CloseHandle(token);
  return enabled;
}

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
#endif

std::vector<Flavour> Flavours() {
  std::vector<Flavour> all = {
      {"MemoryHkcu",
       [] { return std::make_unique<Sandbox>(std::make_unique<MemoryRegistry>(), kHkeyCurrentUser, SandboxPath(),
                                             false); }},
      {"MemoryHklm",
       [] { return std::make_unique<Sandbox>(std::make_unique<MemoryRegistry>(), kHkeyLocalMachine, SandboxPath(),
                                             false); }},
  };
#ifdef _WIN32
  all.push_back({"Win32Hkcu", [] {
                   return std::make_unique<Sandbox>(std::make_unique<Win32Registry>(), kHkeyCurrentUser,
                                                    SandboxPath(), RunningUnderWine());
                 }});
  all.push_back({"Win32Hklm", [] {
                   return std::make_unique<Sandbox>(std::make_unique<Win32Registry>(), kHkeyLocalMachine,
                                                    SandboxPath(), RunningUnderWine());
                 }});
#endif
  return all;
}

class RegistryContract : public testing::TestWithParam<Flavour> {
 protected:
  void SetUp() override { box_ = GetParam().make(); }
  void TearDown() override { box_.reset(); }

  Registry& reg() { return box_->reg(); }
  RegHandle base() { return box_->base(); }

  // Opens or creates, failing the test (not crashing) when it cannot.
  RegHandle MustCreate(RegHandle parent, const std::string& sub) {
    RegHandle h = 0;
    EXPECT_EQ(kOk, reg().Create(parent, sub, &h)) << sub;
    return h;
  }
  long TryOpen(RegHandle parent, const std::string& sub, RegAccess access = RegAccess::Read) {
    RegHandle h = 0;
    long rc = reg().Open(parent, sub, access, &h);
    if (rc == kOk) reg().Close(h);
    return rc;
  }
  std::vector<std::string> Enumerate(RegHandle key) {
    std::vector<std::string> names;
    for (uint32_t i = 0;; ++i) {
      char name[256];
      uint32_t size = sizeof name;
      long rc = reg().EnumSubkey(key, i, name, &size);
      if (rc == kErrNoMoreItems) break;
      EXPECT_EQ(kOk, rc) << "index " << i;
      if (rc != kOk || i > 100) break;
      EXPECT_EQ(std::strlen(name), size);
      names.push_back(name);
    }
    return names;
  }
  std::string ReadString(RegHandle key, const std::string& name) {
    unsigned char data[512];
    uint32_t size = sizeof data;
    uint32_t type = 0;
    long rc = reg().QueryValue(key, name, &type, data, &size);
    if (rc != kOk) return "<error " + std::to_string(rc) + ">";
    return std::string(reinterpret_cast<char*>(data), size);
  }

  std::unique_ptr<Sandbox> box_;
};

TEST_P(RegistryContract, CreateMakesEveryLevelAndOpensAnExistingKey) {
  RegHandle deep = MustCreate(base(), "One\\Two\\Three");
  EXPECT_EQ(kOk, reg().SetString(deep, "v", "x"));
  reg().Close(deep);

  EXPECT_EQ(kOk, TryOpen(base(), "One"));
  EXPECT_EQ(kOk, TryOpen(base(), "One\\Two"));
  EXPECT_EQ(kOk, TryOpen(box_->root(), box_->Below("One\\Two\\Three")));

  // Creating it again opens it: the value is still there.
  RegHandle again = MustCreate(base(), "One\\Two\\Three");
  EXPECT_EQ(std::string("x", 2), ReadString(again, "v"));
  reg().Close(again);

  uint32_t count = 99;
  EXPECT_EQ(kOk, reg().SubkeyCount(base(), &count));
  EXPECT_EQ(1u, count);
}

TEST_P(RegistryContract, OpenOfEmptyNameGivesASecondHandleToTheSameKey) {
  RegHandle other = 0;
  ASSERT_EQ(kOk, reg().Open(base(), "", RegAccess::ReadWrite, &other));
  EXPECT_NE(base(), other);
  EXPECT_EQ(kOk, reg().SetString(other, "through", "second"));
  reg().Close(other);
  // Closing the second handle leaves the first usable.
  EXPECT_EQ(std::string("second", 7), ReadString(base(), "through"));
}

TEST_P(RegistryContract, PathsAreRelativeWithoutLeadingBackslash) {
  RegHandle h = MustCreate(base(), "Child");
  reg().Close(h);

  EXPECT_EQ(kErrFileNotFound, TryOpen(base(), "Missing"));
  EXPECT_EQ(kErrFileNotFound, TryOpen(base(), "Child\\Missing"));
  EXPECT_EQ(kErrBadPathname, TryOpen(base(), "\\Child"));
  RegHandle bad = 0;
  EXPECT_EQ(kErrBadPathname, reg().Create(base(), "\\Created", &bad));
  EXPECT_EQ(kErrFileNotFound, TryOpen(base(), "Created"));

  // A trailing backslash names the same key.
  EXPECT_EQ(kOk, TryOpen(base(), "Child\\"));
}

TEST_P(RegistryContract, NamesAreCaseInsensitiveAndKeepTheirCase) {
  reg().Close(MustCreate(base(), "MixedCase"));
  EXPECT_EQ(kOk, TryOpen(base(), "mixedcase"));
  EXPECT_EQ(kOk, TryOpen(base(), "MIXEDCASE"));
  reg().Close(MustCreate(base(), "MIXEDCASE"));  // opens, does not add a twin
  EXPECT_EQ(std::vector<std::string>{"MixedCase"}, Enumerate(base()));

  EXPECT_EQ(kOk, reg().SetString(base(), "ValueName", "a"));
  EXPECT_EQ(kOk, reg().SetString(base(), "VALUENAME", "b"));  // the same value
  EXPECT_EQ(std::string("b", 2), ReadString(base(), "valuename"));
}

TEST_P(RegistryContract, DoubleByteNamesKeepTheirTrailBytes) {
  // "運" and "誠" end in 0x5C: that byte is part of the character, not a separator.
  const std::string withTrail = "AutoCAD運行\\誠";
  ASSERT_EQ('\x5C', withTrail[8]);
  reg().Close(MustCreate(base(), withTrail));
  EXPECT_EQ(std::vector<std::string>{"AutoCAD運行"}, Enumerate(base()));
  RegHandle parent = 0;
  ASSERT_EQ(kOk, reg().Open(base(), "AutoCAD運行", RegAccess::Read, &parent));
  EXPECT_EQ(std::vector<std::string>{"誠"}, Enumerate(parent));
  reg().Close(parent);

  // Fullwidth, Greek and Cyrillic letters have case, as in the real registry.
  reg().Close(MustCreate(base(), "ａｂｃαбⅰ"));
  EXPECT_EQ(kOk, TryOpen(base(), "ＡＢＣΑБⅠ"));

  EXPECT_EQ(kOk, reg().SetString(base(), "安装路径", "C:\\Quilox\\運"));
  EXPECT_EQ(std::string("C:\\Quilox\\運", 13), ReadString(base(), "安装路径"));
}

TEST_P(RegistryContract, SubkeysAreEnumeratedInCaseInsensitiveOrder) {
  for (const char* name : {"beta", "Alpha", "GAMMA", "delta", "Zeta", "epsilon2", "Epsilon10"}) {
    reg().Close(MustCreate(base(), name));
  }
  std::vector<std::string> expected = {"Alpha", "beta", "delta", "Epsilon10", "epsilon2", "GAMMA", "Zeta"};
  EXPECT_EQ(expected, Enumerate(base()));
  uint32_t count = 0;
  EXPECT_EQ(kOk, reg().SubkeyCount(base(), &count));
  EXPECT_EQ(7u, count);
}

TEST_P(RegistryContract, SubkeysSortByUpperCase) {
  // The registry compares upper-cased names: '[' and '_' sort after 'Z', '@' before 'A'.
  if (box_->wine()) {
    GTEST_SKIP() << "Wine 8 orders subkeys by lower-cased names: '[' and '_' come before the letters";
  }
  for (const char* name : {"b", "_x", "A", "@y", "[z", "a1"}) reg().Close(MustCreate(base(), name));
  EXPECT_EQ((std::vector<std::string>{"@y", "A", "a1", "b", "[z", "_x"}), Enumerate(base()));
}

TEST_P(RegistryContract, EnumerationReportsShortBuffersAndTheEnd) {
  reg().Close(MustCreate(base(), "Exactly9c"));
  char name[32];
  std::memset(name, 'z', sizeof name);

  uint32_t size = 9;  // no room for the NUL
  EXPECT_EQ(kErrMoreData, reg().EnumSubkey(base(), 0, name, &size));

  size = 10;
  ASSERT_EQ(kOk, reg().EnumSubkey(base(), 0, name, &size));
  EXPECT_EQ(9u, size);
  EXPECT_STREQ("Exactly9c", name);

  size = sizeof name;
  EXPECT_EQ(kErrNoMoreItems, reg().EnumSubkey(base(), 1, name, &size));
  size = sizeof name;
  EXPECT_EQ(kErrNoMoreItems, reg().EnumSubkey(base(), 1000, name, &size));
}

TEST_P(RegistryContract, DeleteRefusesAKeyWithSubkeysAndReportsAMissingOne) {
  reg().Close(MustCreate(base(), "Parent\\Child"));
  EXPECT_EQ(kErrAccessDenied, reg().Delete(base(), "Parent"));
  EXPECT_EQ(kOk, TryOpen(base(), "Parent\\Child"));

  EXPECT_EQ(kErrFileNotFound, reg().Delete(base(), "Nobody"));
  EXPECT_EQ(kErrFileNotFound, reg().Delete(base(), "Parent\\Nobody"));

  EXPECT_EQ(kOk, reg().Delete(base(), "Parent\\Child"));
  EXPECT_EQ(kErrFileNotFound, TryOpen(base(), "Parent\\Child"));
  EXPECT_EQ(kOk, reg().Delete(base(), "PARENT"));
  EXPECT_EQ(kErrFileNotFound, TryOpen(base(), "Parent"));
}

TEST_P(RegistryContract, DeleteOfTheEmptyNameRemovesTheKeyItself) {
  RegHandle h = MustCreate(base(), "Doomed");
  EXPECT_EQ(kOk, reg().Delete(h, ""));
  reg().Close(h);
  EXPECT_EQ(kErrFileNotFound, TryOpen(base(), "Doomed"));
}

TEST_P(RegistryContract, DeleteAndCreateIgnoreTheParentHandlesRights) {
  reg().Close(MustCreate(base(), "Leaf"));
  RegHandle readOnly = 0;
  ASSERT_EQ(kOk, reg().Open(box_->root(), box_->path(), RegAccess::Read, &readOnly));
  RegHandle created = 0;
  EXPECT_EQ(kOk, reg().Create(readOnly, "New", &created));
  if (created) {
    EXPECT_EQ(kOk, reg().SetString(created, "v", "w"));  // the new key is writable
    reg().Close(created);
  }
  EXPECT_EQ(kOk, reg().Delete(readOnly, "Leaf"));
  reg().Close(readOnly);
}

TEST_P(RegistryContract, ValuesKeepTypeAndBytes) {
  const unsigned char binary[] = {0x00, 0x01, 0x00, 0xFF};
  EXPECT_EQ(kOk, reg().SetValue(base(), "bin", kRegBinary, binary, sizeof binary));
  EXPECT_EQ(kOk, reg().SetDword(base(), "dw", 0x12345678));
  EXPECT_EQ(kOk, reg().SetString(base(), "", "default"));
  EXPECT_EQ(kOk, reg().SetString(base(), "sz", "abc"));

  unsigned char data[16];
  uint32_t type = 0;
  uint32_t size = sizeof data;
  ASSERT_EQ(kOk, reg().QueryValue(base(), "bin", &type, data, &size));
  EXPECT_EQ(kRegBinary, type);
  ASSERT_EQ(4u, size);
  EXPECT_EQ(0, std::memcmp(binary, data, 4));

  size = sizeof data;
  ASSERT_EQ(kOk, reg().QueryValue(base(), "dw", &type, data, &size));
  EXPECT_EQ(kRegDword, type);
  ASSERT_EQ(4u, size);
  EXPECT_EQ(0x78, data[0]);
  EXPECT_EQ(0x12, data[3]);

  // The empty name is the default value, separate from the named ones.
  EXPECT_EQ(std::string("default", 8), ReadString(base(), ""));
  size = sizeof data;
  ASSERT_EQ(kOk, reg().QueryValue(base(), "sz", &type, data, &size));
  EXPECT_EQ(kRegSz, type);
  EXPECT_EQ(4u, size);  // the terminator counted by SetString, no second one added

  // Writing again replaces type and data.
  EXPECT_EQ(kOk, reg().SetDword(base(), "sz", 7));
  size = sizeof data;
  ASSERT_EQ(kOk, reg().QueryValue(base(), "sz", &type, data, &size));
  EXPECT_EQ(kRegDword, type);
  EXPECT_EQ(4u, size);
}

// The session manager's list of pending renames: UTF-16 paths, an empty string inside.
TEST_P(RegistryContract, WideValuesKeepTheirBytesAndReadAsTextInTheCodePage) {
  const std::string pairs = Utf16FromUtf8(std::string(u8"\\??\\C:\\运\\a") + '\0' + '\0' + u8"\\??\\C:\\b" + '\0' +
                                          u8"\\??\\C:\\c" + '\0' + '\0');
  ASSERT_EQ(kOk, reg().SetWideValue(base(), "Pending", kRegMultiSz, pairs));
  uint32_t type = 0;
  std::string bytes;
  ASSERT_EQ(kOk, reg().GetWideBytes(base(), "Pending", &type, &bytes));
  EXPECT_EQ(kRegMultiSz, type);
  EXPECT_EQ(pairs, bytes);
  ASSERT_EQ(kOk, reg().GetBytes(base(), "Pending", &type, &bytes));
  EXPECT_EQ(std::string("\\??\\C:\\\xD4\xCB\\a\0\0\\??\\C:\\b\0\\??\\C:\\c\0\0", 32), bytes);

  ASSERT_EQ(kOk, reg().SetString(base(), "sz", "\xD4\xCB"));
  ASSERT_EQ(kOk, reg().GetWideBytes(base(), "sz", &type, &bytes));
  EXPECT_EQ(kRegSz, type);
  EXPECT_EQ(Utf16FromUtf8(std::string(u8"运") + '\0'), bytes);
  EXPECT_EQ(kErrFileNotFound, reg().GetWideBytes(base(), "none", &type, &bytes));
}

TEST_P(RegistryContract, QueryReportsMissingValuesAndSizes) {
  uint32_t type = 0;
  unsigned char data[64];
  uint32_t size = sizeof data;
  EXPECT_EQ(kErrFileNotFound, reg().QueryValue(base(), "absent", &type, data, &size));
  size = sizeof data;
  EXPECT_EQ(kErrFileNotFound, reg().QueryValue(base(), "", &type, data, &size));  // no default value yet

  ASSERT_EQ(kOk, reg().SetString(base(), "Path", "C:\\Quilox"));
  size = 0;
  type = 0;
  EXPECT_EQ(kOk, reg().QueryValue(base(), "Path", &type, nullptr, &size));
  EXPECT_EQ(10u, size);
  EXPECT_EQ(kRegSz, type);

  std::memset(data, 0, sizeof data);
  size = 4;
  EXPECT_EQ(kErrMoreData, reg().QueryValue(base(), "Path", &type, data, &size));
  EXPECT_EQ(10u, size);

  size = 10;
  ASSERT_EQ(kOk, reg().QueryValue(base(), "Path", &type, data, &size));
  EXPECT_EQ(10u, size);
  EXPECT_STREQ("C:\\Quilox", reinterpret_cast<char*>(data));
}

TEST_P(RegistryContract, AReadOnlyHandleCannotWrite) {
  RegHandle readOnly = 0;
  ASSERT_EQ(kOk, reg().Open(box_->root(), box_->path(), RegAccess::Read, &readOnly));
  EXPECT_EQ(kErrAccessDenied, reg().SetString(readOnly, "v", "x"));
  reg().Close(readOnly);

  RegHandle readWrite = 0;
  ASSERT_EQ(kOk, reg().Open(box_->root(), box_->path(), RegAccess::ReadWrite, &readWrite));
  EXPECT_EQ(kOk, reg().SetString(readWrite, "v", "x"));
  reg().Close(readWrite);
}

TEST_P(RegistryContract, AHandleToADeletedKeyFailsWithoutHarm) {
  RegHandle doomed = MustCreate(base(), "Doomed");
  ASSERT_EQ(kOk, reg().SetString(doomed, "v", "x"));
  ASSERT_EQ(kOk, reg().Delete(base(), "Doomed"));

  // Every use of the handle answers ERROR_KEY_DELETED; nothing comes back to life.
  RegHandle h = 0;
  EXPECT_EQ(kErrKeyDeleted, reg().Create(doomed, "Child", &h));
  EXPECT_EQ(kErrKeyDeleted, reg().Open(doomed, "", RegAccess::Read, &h));
  unsigned char data[8];
  uint32_t size = sizeof data;
  EXPECT_EQ(kErrKeyDeleted, reg().QueryValue(doomed, "v", nullptr, data, &size));
  EXPECT_EQ(kErrKeyDeleted, reg().SetString(doomed, "v", "y"));
  uint32_t count = 0;
  EXPECT_EQ(kErrKeyDeleted, reg().SubkeyCount(doomed, &count));
  char name[16];
  size = sizeof name;
  EXPECT_EQ(kErrKeyDeleted, reg().EnumSubkey(doomed, 0, name, &size));
  EXPECT_EQ(kErrKeyDeleted, reg().Delete(doomed, ""));
  reg().Close(doomed);
  EXPECT_EQ(kErrFileNotFound, TryOpen(base(), "Doomed"));
}

TEST_P(RegistryContract, ClosingARootDoesNothingAndClosedHandlesAreInvalid) {
  reg().Close(box_->root());
  EXPECT_EQ(kOk, TryOpen(box_->root(), box_->path()));

  RegHandle h = MustCreate(base(), "Once");
  reg().Close(h);
  EXPECT_EQ(kErrInvalidHandle, TryOpen(h, ""));
}

TEST_P(RegistryContract, DeleteValueRemovesOneValueThroughAWritableHandle) {
  ASSERT_EQ(kOk, reg().SetString(base(), "Gone", "x"));
  ASSERT_EQ(kOk, reg().SetString(base(), "Kept", "y"));
  RegHandle readOnly = 0;
  ASSERT_EQ(kOk, reg().Open(box_->root(), box_->path(), RegAccess::Read, &readOnly));
  EXPECT_EQ(kErrAccessDenied, reg().DeleteValue(readOnly, "Gone"));
  reg().Close(readOnly);

  EXPECT_EQ(kOk, reg().DeleteValue(base(), "GONE"));
  EXPECT_EQ("<error 2>", ReadString(base(), "Gone"));
  EXPECT_EQ(kErrFileNotFound, reg().DeleteValue(base(), "Gone"));
  EXPECT_EQ(std::string("y", 2), ReadString(base(), "Kept"));
}

TEST_P(RegistryContract, AHiveIsMountedBelowHkeyUsersUntilUnloadedWithNoKeyOfItOpen) {
  reg().Close(MustCreate(base(), "Saved\\Software\\Inner"));
  RegHandle inner = 0;
  ASSERT_EQ(kOk, reg().Open(base(), "Saved\\Software\\Inner", RegAccess::ReadWrite, &inner));
  ASSERT_EQ(kOk, reg().SetString(inner, "v", "x"));
  reg().Close(inner);
  const std::string file = box_->HiveFile("one");
  box_->SaveHive(box_->Below("Saved"), file);
  const std::string mount = box_->MountName("One");

  ASSERT_EQ(kOk, reg().LoadHive(mount, file));
  ASSERT_EQ(kOk, reg().Open(kHkeyUsers, mount + "\\Software\\Inner", RegAccess::ReadWrite, &inner));
  EXPECT_EQ(std::string("x", 2), ReadString(inner, "v"));
  EXPECT_EQ(kOk, reg().SetString(inner, "added", "y"));
  reg().Close(inner);
  const std::vector<std::string> users = Enumerate(kHkeyUsers);
  EXPECT_NE(users.end(), std::find(users.begin(), users.end(), mount));

  RegHandle root = 0;
  ASSERT_EQ(kOk, reg().Open(kHkeyUsers, mount, RegAccess::Read, &root));
  EXPECT_EQ(kErrAccessDenied, reg().UnloadHive(mount));
  reg().Close(root);
  EXPECT_EQ(kOk, reg().UnloadHive(mount));
  EXPECT_EQ(kErrFileNotFound, TryOpen(kHkeyUsers, mount));
  EXPECT_EQ(kErrFileNotFound, reg().UnloadHive(mount));
#ifdef _WIN32
  // Enabled around the load and the unload only (the backup privilege the sandbox saves with).
  EXPECT_FALSE(PrivilegeEnabled("SeRestorePrivilege"));
#endif

  if (box_->wine()) GTEST_SKIP() << "Wine 8 drops what was written into a loaded hive when it unloads it";
  ASSERT_EQ(kOk, reg().LoadHive(mount, file));
  ASSERT_EQ(kOk, reg().Open(kHkeyUsers, mount + "\\Software\\Inner", RegAccess::Read, &inner));
  EXPECT_EQ(std::string("y", 2), ReadString(inner, "added"));
  reg().Close(inner);
  EXPECT_EQ(kOk, reg().UnloadHive(mount));
}

TEST_P(RegistryContract, AMountNameOrAHiveFileInUseIsRefused) {
  reg().Close(MustCreate(base(), "Saved"));
  const std::string first = box_->HiveFile("first");
  const std::string second = box_->HiveFile("second");
  box_->SaveHive(box_->Below("Saved"), first);
  box_->SaveHive(box_->Below("Saved"), second);
  const std::string mount = box_->MountName("Busy");
  ASSERT_EQ(kOk, reg().LoadHive(mount, first));
  EXPECT_EQ(kErrAlreadyExists, reg().LoadHive(mount, second));
  const std::string other = box_->MountName("Other");
  const long again = reg().LoadHive(other, first);
  if (box_->wine()) {
    // Wine 8 does not hold a loaded hive's file open: the same file mounts twice.
    if (again == kOk) reg().UnloadHive(other);
  } else {
    EXPECT_EQ(kErrSharingViolation, again);
  }
  EXPECT_EQ(kOk, reg().UnloadHive(mount));
}

std::string FlavourName(const testing::TestParamInfo<Flavour>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Registries, RegistryContract, testing::ValuesIn(Flavours()), FlavourName);

}  // namespace

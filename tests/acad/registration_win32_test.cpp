// Discovery, demand-load registration and trusted paths against the real registry.
// The release keys carry a distinctive name and are removed afterwards; the table is narrowed to
// them before anything is written, so no other AutoCAD entry is touched.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "acad/acad_release_table.h"
#include "platform/win32/win32_code_page.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_message_boxes.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"

namespace {

const std::string k64Root = "SOFTWARE\\Autodesk\\AutoCAD";
const std::string k32Root = "SOFTWARE\\Wow6432Node\\Autodesk\\AutoCAD";
const std::string kUserRoot = "SOFTWARE\\Autodesk\\AutoCAD";
const std::string kTag = "TessaTest-";  // every release key this test makes starts with it
const std::string kFolder = "C:\\Quilox\\Tessarune";

// Raw Win32 helpers, independent of the code under test.
void SetRaw(HKEY root, const std::string& path, const std::string& name, DWORD type,
            const std::string& bytes) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS)
      << path;
  ASSERT_EQ(RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                           static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS)
      << path << " " << name;
  RegCloseKey(key);
}

void SetText(HKEY root, const std::string& path, const std::string& name, const std::string& text) {
  SetRaw(root, path, name, REG_SZ, text + '\0');
}

// The value's bytes as RegQueryValueExA returns them; false when it cannot be read.
bool GetRaw(HKEY root, const std::string& path, const std::string& name, DWORD* type, std::string* bytes) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, type, nullptr, &size);
  if (rc == ERROR_SUCCESS) {
    std::vector<BYTE> buffer(size + 1, 0);
    rc = RegQueryValueExA(key, name.c_str(), nullptr, type, buffer.data(), &size);
    bytes->assign(reinterpret_cast<const char*>(buffer.data()), size);
  }
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// Direct subkey names, in enumeration order.
std::vector<std::string> SubkeyNames(HKEY root, const std::string& path) {
  std::vector<std::string> names;
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, size);
  }
  RegCloseKey(key);
  return names;
}

// Removes this test's keys, and the levels above them that only this test made.
void RemoveTestKeys(HKEY root, const std::string& acadRoot) {
  for (const std::string& name : SubkeyNames(root, acadRoot)) {
    if (name.compare(0, kTag.size(), kTag) == 0) RegDeleteTreeA(root, (acadRoot + "\\" + name).c_str());
  }
  std::string path = acadRoot;
  while (!path.empty() && path != "SOFTWARE" && path != "SOFTWARE\\Wow6432Node") {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
      DWORD subkeys = 0, values = 0;
      RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                       nullptr, nullptr);
      RegCloseKey(key);
      if (subkeys != 0 || values != 0) break;
      RegDeleteKeyA(root, path.c_str());
    }
    path.erase(path.rfind('\\'));
  }
}

class RegistrationWin32Test : public ::testing::Test {
 protected:
  Win32Registry registry;
  Win32FileSystem files;
  Win32ProcessList processes;
  Win32MessageBoxes boxes;
  Win32CodePage codePage;
  AcadReleaseTable table;

  Platform platform() { return Platform{registry, files, processes, boxes, codePage}; }

  void SetUp() override {
    ASSERT_EQ(GetACP(), 936u) << "run with the Chinese locale (LANG=zh_CN.UTF-8)";
    CleanUp();
    // The trusted-path update rewrites every AutoCAD profile of the user: only where there is none.
    if (KeyExists(HKEY_CURRENT_USER, kUserRoot)) GTEST_SKIP() << "this user has AutoCAD profiles of its own";
  }
  void TearDown() override { CleanUp(); }

  static void CleanUp() {
    RemoveTestKeys(HKEY_LOCAL_MACHINE, k64Root);
    RemoveTestKeys(HKEY_LOCAL_MACHINE, k32Root);
    RemoveTestKeys(HKEY_CURRENT_USER, kUserRoot);
  }

  // Keeps only this test's installations, so that registration writes below nothing else.
  void KeepOnlyTestInstallations() {
    for (int i = 0; i < kYearCount; ++i) {
      StringList keys, folders;
      for (size_t n = 0; n < table.productKeys[i].size(); ++n) {
        if (table.productKeys[i][n].find(kTag) == std::string::npos) continue;
        keys.push_back(table.productKeys[i][n]);
        folders.push_back(table.acadFolders[i][n]);
      }
      table.productKeys[i] = keys;
      table.acadFolders[i] = folders;
    }
  }

  void ExpectEntry(const std::string& productKey, const std::string& entry, const std::string& loader) {
    std::string path = productKey + "Applications\\" + entry;
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(GetRaw(HKEY_LOCAL_MACHINE, path, "LOADER", &type, &bytes)) << path;
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << path;
    EXPECT_EQ(bytes, loader + '\0') << path;
    ASSERT_TRUE(GetRaw(HKEY_LOCAL_MACHINE, path, "LOADCTRLS", &type, &bytes)) << path;
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << path;
    EXPECT_EQ(bytes, std::string("\x02\x00\x00\x00", 4)) << path;
  }

  std::string Trusted(const std::string& variables) {
    DWORD type = 0;
    std::string bytes;
    if (!GetRaw(HKEY_CURRENT_USER, variables, "TRUSTEDPATHS", &type, &bytes)) return "<unreadable>";
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << variables;
    EXPECT_TRUE(!bytes.empty() && bytes.back() == '\0') << variables;
    return bytes.substr(0, bytes.find('\0'));
  }
};

TEST_F(RegistrationWin32Test, DiscoversRegistersAndTrustsThroughTheRealRegistry) {
  const std::string dbcs = "淺";  // GBK 9C 5C
  ASSERT_EQ(dbcs, "\x9C\x5C");
  const std::string wow2009 = k32Root + "\\" + kTag + "R17.2\\ACAD-7001:804";
  const std::string x64_2009 = k64Root + "\\" + kTag + "R17.2\\ACAD-7001:804";
  const std::string x64_2010 = k64Root + "\\" + kTag + "R18.0\\ACAD-8001:804";
  const std::string wow2011 = k32Root + "\\" + kTag + "R18.1\\ACAD-9001:804";
  SetText(HKEY_LOCAL_MACHINE, wow2009, "AcadLocation", "C:\\Program Files (x86)\\AutoCAD 2009\\");
  SetText(HKEY_LOCAL_MACHINE, wow2009, "ProductName", "AutoCAD 2009 - 简体中文");
  SetText(HKEY_LOCAL_MACHINE, x64_2009, "AcadLocation", "C:\\Program Files\\AutoCAD 2009");
  SetText(HKEY_LOCAL_MACHINE, x64_2009, "ProductName", "AutoCAD 2009");
  SetText(HKEY_LOCAL_MACHINE, x64_2010, "AcadLocation", "D:\\" + dbcs + "\\");
  SetText(HKEY_LOCAL_MACHINE, x64_2010, "ProductName", "AutoCAD 2010 - 简体中文 (Simplified Chinese)");
  SetText(HKEY_LOCAL_MACHINE, x64_2010 + "\\Applications\\Quilox2010", "DESCRIPTION", "someone else's");
  SetText(HKEY_LOCAL_MACHINE, wow2011, "AcadLocation", "C:\\Program Files (x86)\\AutoCAD 2011\\");
  SetText(HKEY_LOCAL_MACHINE, wow2011, "ProductName", "AutoCAD 2011");

  const std::string profiles = kUserRoot + "\\" + kTag + "R18.0\\ACAD-8001:804\\Profiles\\";
  const std::string unnamed = profiles + "<<未命名配置>>\\Variables";
  const std::string bare = profiles + "Bare\\Variables";
  const std::string longer = profiles + "Long\\Variables";
  const std::string expand = profiles + "Expand\\Variables";
  SetText(HKEY_CURRENT_USER, unnamed, "TRUSTEDPATHS", "c:\\tools;d:\\" + dbcs + "\\lisp");
  SetText(HKEY_CURRENT_USER, profiles + "Bare", "Marker", "");
  std::string many;
  for (int i = 0; many.size() < 20000; ++i) many += "C:\\LIBRARY\\PATH" + std::to_string(10000 + i) + ";";
  SetText(HKEY_CURRENT_USER, longer, "TRUSTEDPATHS", many);
  SetRaw(HKEY_CURRENT_USER, expand, "TRUSTEDPATHS", REG_EXPAND_SZ, std::string("%appdata%\\x") + '\0');

  table.DiscoverReleases(platform());
  KeepOnlyTestInstallations();
  EXPECT_EQ(table.acadFolders[2009 - kFirstYear],
            (StringList{"C:\\Program Files (x86)\\AutoCAD 2009", "C:\\Program Files\\AutoCAD 2009"}));
  EXPECT_EQ(table.productKeys[2009 - kFirstYear], (StringList{wow2009 + "\\", x64_2009 + "\\"}));
  EXPECT_EQ(table.acadFolders[2010 - kFirstYear], (StringList{"D:\\" + dbcs}));
  EXPECT_EQ(table.productKeys[2010 - kFirstYear], (StringList{x64_2010 + "\\"}));
  EXPECT_TRUE(table.acadFolders[2011 - kFirstYear].empty()) << "a 32-bit 2011 is not taken";

  int selected[kYearCount] = {};
  for (int& flag : selected) flag = 1;
  table.RegisterSelectedReleases(platform(), selected, kFolder);

  for (const std::string& key : {wow2009, x64_2009}) {
    EXPECT_EQ(SubkeyNames(HKEY_LOCAL_MACHINE, key + "\\Applications"),
              (std::vector<std::string>{"Quilox2008", "Quilox2009"}));
    ExpectEntry(key + "\\", "Quilox2009", kFolder + "\\Quilox2009.ARX");
    ExpectEntry(key + "\\", "Quilox2008", kFolder + "\\Quilox2008.ARX");
  }
  EXPECT_EQ(SubkeyNames(HKEY_LOCAL_MACHINE, x64_2010 + "\\Applications"),
            (std::vector<std::string>{"Quilox2010", "Quilox2010_32"}));
  ExpectEntry(x64_2010 + "\\", "Quilox2010", kFolder + "\\Quilox2010.ARX");
  ExpectEntry(x64_2010 + "\\", "Quilox2010_32", kFolder + "\\Quilox2010_32.ARX");
  DWORD type = 0;
  std::string bytes;
  EXPECT_FALSE(
      GetRaw(HKEY_LOCAL_MACHINE, x64_2010 + "\\Applications\\Quilox2010", "DESCRIPTION", &type, &bytes))
      << "the entry was replaced, not added to";
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, wow2011 + "\\Applications"));

  EXPECT_EQ(Trusted(unnamed), "C:\\TOOLS;D:\\" + dbcs + "\\LISP;C:\\QUILOX\\TESSARUNE");
  EXPECT_EQ(Trusted(bare), kFolder) << "a missing Variables key is created";
  EXPECT_EQ(Trusted(longer), many + ";C:\\QUILOX\\TESSARUNE") << "a long setting keeps every entry";
  EXPECT_EQ(Trusted(expand), "%APPDATA%\\X;C:\\QUILOX\\TESSARUNE");

  // A second run changes nothing.
  table.RegisterSelectedReleases(platform(), selected, kFolder);
  EXPECT_EQ(Trusted(unnamed), "C:\\TOOLS;D:\\" + dbcs + "\\LISP;C:\\QUILOX\\TESSARUNE");
  EXPECT_EQ(SubkeyNames(HKEY_LOCAL_MACHINE, x64_2010 + "\\Applications"),
            (std::vector<std::string>{"Quilox2010", "Quilox2010_32"}));
}

}  // namespace

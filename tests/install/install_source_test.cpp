#include <gtest/gtest.h>

#include "install/install.h"
#include "install_test_support.h"
#include "tests/memory/memory_platform.h"

namespace {

TEST(FindInstallSource, DataFolderBesideTheExecutableOrTheMarkedFolderOrTheMessage) {
  // 0x81 0x5C and 0xD5 0x5C are double-byte characters whose trail byte is a backslash.
  const std::string trail = "D:\\\x81\x5C\\\xD5\x5C";
  const std::string deep = PathOfLength("D:\\Dist", 300);
  struct Case {
    std::string module;
    std::vector<std::string> folders;
    std::vector<std::string> files;
    std::string source;  // empty: not found
  } cases[] = {
      {"D:\\Dist\\SetUp.exe", {"D:\\Dist\\Data"}, {}, "D:\\Dist\\Data"},
      {"D:\\Dist\\SetUp.exe", {"D:\\Dist\\Data"}, {"D:\\Dist\\Quilox2010.arx"}, "D:\\Dist\\Data"},
      {"D:\\Dist\\SetUp.exe", {}, {"D:\\Dist\\Quilox2010.arx"}, "D:\\Dist"},
      {"D:\\Dist\\SetUp.exe", {"D:\\Dist\\DATA"}, {}, "D:\\Dist\\Data"},
      {"D:\\Dist\\SetUp.exe", {}, {"D:\\Dist\\quilox2010.ARX"}, "D:\\Dist"},
      {"D:\\Dist\\SetUp.exe", {}, {"D:\\Dist\\readme.txt"}, ""},
      {"D:\\Dist\\SetUp.exe", {}, {"D:\\Dist\\Data"}, ""},  // a file named Data
      {"D:\\Dist\\SetUp.exe", {}, {"D:\\Dist\\Data", "D:\\Dist\\Quilox2010.arx"}, "D:\\Dist"},
      {"D:\\Dist\\SetUp.exe", {"D:\\Dist\\Quilox2010.arx"}, {}, ""},  // a folder named like the marker
      {"E:\\Gone\\SetUp.exe", {}, {}, ""},
      {trail + "\\\x81\x5C" "SetUp.exe", {trail + "\\Data"}, {}, trail + "\\Data"},
      {deep + "\\SetUp.exe", {deep + "\\Data"}, {}, deep + "\\Data"},  // used whole, however long
      {"SetUp.exe", {"C:\\Data"}, {}, "\\Data"},  // no backslash: the current drive's root
  };
  int row = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE("row " + std::to_string(row++));
    MemoryPlatform m;
    m.files.AddDrive('D');
    m.files.SetModulePath(c.module);
    for (const std::string& folder : c.folders) m.files.AddFolder(folder);
    for (const std::string& file : c.files) m.files.AddFile(file, "");
    std::string source;
    const bool found = FindInstallSource(m.platform(), kOwner, &source);
    EXPECT_EQ(0u, m.files.OpenListings());
    EXPECT_EQ(!c.source.empty(), found);
    if (found) {
      EXPECT_EQ(c.source, source);
      EXPECT_TRUE(m.boxes.Shown().empty());
      continue;
    }
    ASSERT_EQ(1u, m.boxes.Shown().size());
    const ShownBox& box = m.boxes.Shown()[0];
    EXPECT_EQ("未找到安装所需的Data文件夹 !\n\n可能安装文件下载后没有解压，\n\n请解压后再执行SetUp.exe !",
              box.text);
    EXPECT_EQ("Tessarune软件安装", box.caption);
    EXPECT_EQ(kMbOk, box.style);
    EXPECT_EQ(kOwner, box.owner);
  }
}

}  // namespace

// The real file system's own paths come back whole whatever their length: the buffers grow.
// (Wine cannot start a program whose path is longer than MAX_PATH, so the growing is shown with
// buffers that start too small for the paths at hand.)
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/win32/win32_file_system.h"

namespace {

std::string ModulePathAtOnce() {
  std::string buffer(32768, '\0');
  buffer.resize(GetModuleFileNameA(nullptr, &buffer[0], static_cast<DWORD>(buffer.size())));
  return buffer;
}

TEST(Win32FileSystem, ModulePathGrowsItsBufferUntilThePathFits) {
  std::string expected = ModulePathAtOnce();
  ASSERT_GT(expected.size(), 10u);
  for (size_t initial : {size_t{1}, size_t{2}, size_t{7}, expected.size(), expected.size() + 1}) {
    EXPECT_EQ(expected, ReadModulePath(initial)) << "starting with " << initial << " bytes";
  }
  EXPECT_EQ(expected, Win32FileSystem().ModulePath());
}

}  // namespace

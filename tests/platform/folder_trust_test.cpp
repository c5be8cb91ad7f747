// Which reparse points lead elsewhere.
#include <gtest/gtest.h>

#include "platform/file_system.h"

namespace {

TEST(Redirection, IsAReparsePointWhoseTagIsANameSurrogate) {
  const struct {
    uint32_t attributes;
    uint32_t tag;
    bool redirection;
  } cases[] = {
      {0x410, 0xA0000003, true},   // a junction (mount point)
      {0x410, 0xA000000C, true},   // a symbolic link to a folder
      {0x420, 0xA000000C, true},   // ... to a file
      {0x410, 0x9000001A, false},  // a OneDrive placeholder folder
      {0x420, 0x80000013, false},  // a deduplicated file
      {0x410, 0x80000017, false},  // a WOF-compressed file
      {0x010, 0xA0000003, false},  // no reparse attribute: the tag is left over
      {0x010, 0, false},           // a plain folder
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.attributes << " " << c.tag);
    EXPECT_EQ(c.redirection, IsRedirection(c.attributes, c.tag));
  }
}

}  // namespace

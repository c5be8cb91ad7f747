// Reading registry values as text without reading past what the registry returned.
#include "acad/registry_reading.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/memory/memory_registry.h"

namespace {

const std::string kKey = "SOFTWARE\\Test";

class RegistryReadingTest : public ::testing::Test {
 protected:
  MemoryRegistry registry;
  RegKey key{registry};

  void SetUp() override {
    registry.AddKey(kHkeyCurrentUser, kKey);
    ASSERT_EQ(key.Open(kHkeyCurrentUser, kKey, RegAccess::Read), kOk);
  }

  long Read(const std::string& bytes, uint32_t bufferSize, std::string* text, uint32_t type = kRegSz) {
    registry.SetRaw(kHkeyCurrentUser, kKey, "V", type, bytes);
    return ReadValueText(registry, key.Handle(), "V", bufferSize, text);
  }
};

TEST_F(RegistryReadingTest, TakesTextUpToTheFirstNulOrTheEndOfTheData) {
  std::string text;
  EXPECT_EQ(Read(std::string("abc\0def", 7), 520, &text), kOk);
  EXPECT_EQ(text, "abc");
  EXPECT_EQ(Read(std::string(520, 'z'), 520, &text), kOk);
  EXPECT_EQ(text, std::string(520, 'z'));
  EXPECT_EQ(Read("abc", 520, &text, kRegBinary), kOk);
  EXPECT_EQ(text, "abc");
  EXPECT_EQ(Read("", 520, &text, kRegNone), kOk);
  EXPECT_EQ(text, "");
}

TEST_F(RegistryReadingTest, ValueLargerThanTheBufferIsNotRead) {
  std::string text = "unchanged";
  EXPECT_EQ(Read(std::string(521, 'z'), 520, &text), kErrMoreData);
  EXPECT_EQ(text, "unchanged");
  EXPECT_NE(ReadValueText(registry, key.Handle(), "Missing", 520, &text), kOk);
}

TEST_F(RegistryReadingTest, WholeReadGrowsTheBufferToTheValue) {
  std::string big(70000, 'q');
  registry.SetRaw(kHkeyCurrentUser, kKey, "Big", kRegSz, big + '\0');
  std::string text;
  EXPECT_EQ(ReadWholeValueText(registry, key.Handle(), "Big", 10000, &text), kOk);
  EXPECT_EQ(text, big);
  EXPECT_EQ(ReadWholeValueText(registry, key.Handle(), "Missing", 10000, &text), kErrFileNotFound);
}

// A registry that, like some ANSI conversions, answers a too-small buffer without the size it needs.
class SizeWithholdingRegistry : public MemoryRegistry {
 public:
  long QueryValue(RegHandle key, const std::string& name, uint32_t* type, unsigned char* data,
                  uint32_t* size) override {
    uint32_t offered = *size;
    long rc = MemoryRegistry::QueryValue(key, name, type, data, size);
    if (rc == kErrMoreData && data != nullptr) *size = offered;
    return rc;
  }
};

TEST(RegistryWholeReadTest, AsksForTheSizeWhenTheFailedReadDoesNotTellIt) {
  SizeWithholdingRegistry registry;
  registry.SetRaw(kHkeyCurrentUser, kKey, "Big", kRegSz, std::string(30000, 'w'));
  RegKey key(registry);
  ASSERT_EQ(key.Open(kHkeyCurrentUser, kKey, RegAccess::Read), kOk);
  std::string text;
  EXPECT_EQ(ReadWholeValueText(registry, key.Handle(), "Big", 10000, &text), kOk);
  EXPECT_EQ(text, std::string(30000, 'w'));
}

TEST_F(RegistryReadingTest, SubkeyNamesComeWhole) {
  std::string longest(255, 'k');
  registry.AddKey(kHkeyCurrentUser, kKey + "\\" + longest);
  std::string name;
  ASSERT_EQ(ReadSubkeyName(registry, key.Handle(), 0, &name), kOk);
  EXPECT_EQ(name, longest);
  EXPECT_NE(ReadSubkeyName(registry, key.Handle(), 1, &name), kOk);
}

}  // namespace

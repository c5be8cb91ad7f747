// An install only on code page 936: elsewhere its folder names and texts would not match.
#include "setup/code_page_requirement.h"

#include <gtest/gtest.h>

#include "tests/memory/memory_environment.h"

namespace {

TEST(CodePageRequirement, OnlyCodePage936Installs) {
  struct Case {
    unsigned codePage;
    bool installs;
  } cases[] = {{936, true}, {1252, false}, {65001, false}, {950, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.codePage);
    MemoryEnvironment env;
    env.codePage = c.codePage;
    InstallReport report;
    EXPECT_EQ(c.installs, InstallCodePageSupported(env, report));
    EXPECT_EQ(c.installs ? 0 : 1, report.Failures());
    if (!c.installs) {
      EXPECT_EQ("the system code page is " + std::to_string(c.codePage) + ", not 936: nothing installed",
                report.FailureTexts()[0]);
    }
  }
}

}  // namespace

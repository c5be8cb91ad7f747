// GoogleTest's main, except that a run in which every test was skipped (a Wine-only check on
// Windows, a test that finds the machine unfit) exits with 77: ctest then reports the executable
// as skipped instead of passed. Any failure still exits non-zero as usual.
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  const testing::UnitTest& run = *testing::UnitTest::GetInstance();
  if (result == 0 && run.successful_test_count() == 0 && run.skipped_test_count() > 0) return 77;
  return result;
}

#include "ui/release_boxes.h"

#include <gtest/gtest.h>

TEST(ReleaseCheckBoxId, FollowsTheTemplateIncludingTheSwappedPairAndIsZeroOutsideTheYears) {
  const int ids[][2] = {{2007, 1018}, {2008, 1019}, {2009, 1020}, {2010, 1027},
                        {2011, 1026}, {2006, 0},    {2028, 0},    {0, 0}};
  for (const auto& id : ids) EXPECT_EQ(ReleaseCheckBoxId(id[0]), id[1]) << id[0];
  for (int year = 2012; year <= 2027; ++year) EXPECT_EQ(ReleaseCheckBoxId(year), 1016 + (year - 2000)) << year;
}

TEST(InitialReleaseBox, OffersExactlyTheFoundReleasesTicked) {
  for (int year = kFirstYear; year <= kLastYear; ++year) {
    ReleaseBoxStart found = InitialReleaseBox(year, true, 64);
    EXPECT_TRUE(found.enabled && found.visible && found.selected) << year;
    ReleaseBoxStart missing = InitialReleaseBox(year, false, 64);
    EXPECT_FALSE(missing.enabled) << year;
    EXPECT_TRUE(missing.visible) << year;
    EXPECT_FALSE(missing.selected) << year;
  }
}

TEST(InitialReleaseBox, A32BitBuildHidesAndUnticks2017AndLaterWhateverWasFound) {
  ReleaseBoxStart last32 = InitialReleaseBox(2016, true, 32);
  EXPECT_TRUE(last32.visible && last32.selected && last32.enabled);
  for (int year = 2017; year <= kLastYear; ++year) {
    ReleaseBoxStart found = InitialReleaseBox(year, true, 32);
    EXPECT_FALSE(found.visible) << year;
    EXPECT_FALSE(found.selected) << year;
    ReleaseBoxStart missing = InitialReleaseBox(year, false, 32);
    EXPECT_FALSE(missing.visible || missing.selected || missing.enabled) << year;
  }
}

TEST(AnyReleaseSelected, IsTrueWhenAnyOneFlagIsSet) {
  int flags[kYearCount] = {};
  EXPECT_FALSE(AnyReleaseSelected(flags));
  flags[0] = 1;
  EXPECT_TRUE(AnyReleaseSelected(flags));
  flags[0] = 0;
  flags[kYearCount - 1] = 1;
  EXPECT_TRUE(AnyReleaseSelected(flags));
}

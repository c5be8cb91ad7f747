#include "ui/release_boxes.h"

#include <gtest/gtest.h>

#include <set>

#include "res/resource.h"

TEST(ReleaseCheckBoxId, FollowsTheTemplateIncludingTheSwappedPair) {
  EXPECT_EQ(ReleaseCheckBoxId(2007), 1018);
  EXPECT_EQ(ReleaseCheckBoxId(2008), 1019);
  EXPECT_EQ(ReleaseCheckBoxId(2009), 1020);
  EXPECT_EQ(ReleaseCheckBoxId(2010), 1027);
  EXPECT_EQ(ReleaseCheckBoxId(2011), 1026);
  for (int year = 2012; year <= 2027; ++year) EXPECT_EQ(ReleaseCheckBoxId(year), 1016 + (year - 2000)) << year;
}

TEST(ReleaseCheckBoxId, IsZeroOutsideTheReleaseYears) {
  EXPECT_EQ(ReleaseCheckBoxId(2006), 0);
  EXPECT_EQ(ReleaseCheckBoxId(2028), 0);
  EXPECT_EQ(ReleaseCheckBoxId(0), 0);
}

TEST(ReleaseCheckBoxId, EveryBoxFallsInTheClickRangesAndNoOtherControlDoes) {
  // The dialog routes clicks on 1018..1020 and 1026..1043 to the Install-button rule.
  std::set<int> ids;
  for (int year = kFirstYear; year <= kLastYear; ++year) {
    int id = ReleaseCheckBoxId(year);
    EXPECT_TRUE((id >= 1018 && id <= 1020) || (id >= 1026 && id <= 1043)) << year;
    ids.insert(id);
  }
  EXPECT_EQ(ids.size(), 21u);
  for (int other : {IDC_INSTALL, IDC_BROWSE, IDC_BITNESS_LABEL, IDC_DONE_LABEL, IDC_SUBMENUS_PICTURE, 1025}) {
    EXPECT_FALSE((other >= 1018 && other <= 1020) || (other >= 1026 && other <= 1043)) << other;
  }
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

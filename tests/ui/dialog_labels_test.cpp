#include "ui/dialog_labels.h"

#include <gtest/gtest.h>

TEST(VersionLabelText, PadsOneDigitMonthAndDayButNeverTwoDigitOnes) {
  EXPECT_EQ(VersionLabelText(20260331), "Tessarune软件 V2026.03.31");
  EXPECT_EQ(VersionLabelText(20261105), "Tessarune软件 V2026.11.05");
  EXPECT_EQ(VersionLabelText(20260101), "Tessarune软件 V2026.01.01");
  EXPECT_EQ(VersionLabelText(20261231), "Tessarune软件 V2026.12.31");
  // The boundaries: 10 is not padded, 9 is.
  EXPECT_EQ(VersionLabelText(20261010), "Tessarune软件 V2026.10.10");
  EXPECT_EQ(VersionLabelText(20260909), "Tessarune软件 V2026.09.09");
  EXPECT_EQ(VersionLabelText(20260910), "Tessarune软件 V2026.09.10");
  EXPECT_EQ(VersionLabelText(20261009), "Tessarune软件 V2026.10.09");
}

TEST(VersionLabelText, TakesYearMonthAndDayApartArithmetically) {
  EXPECT_EQ(VersionLabelText(19990807), "Tessarune软件 V1999.08.07");
  EXPECT_EQ(VersionLabelText(123450612), "Tessarune软件 V12345.06.12");
}

TEST(LabelTexts, AreCodePage936Bytes) {
  // 软件 is C8ED BCFE in code page 936; 位 CEBB; 版 B0E6.
  EXPECT_EQ(VersionLabelText(20260331), "Tessarune\xC8\xED\xBC\xFE V2026.03.31");
  EXPECT_EQ(BitnessLabelText(64), "( 64\xCE\xBB AutoCAD\xB0\xE6 )");
}

TEST(BitnessLabelText, ShowsTheBitness) {
  EXPECT_EQ(BitnessLabelText(64), "( 64位 AutoCAD版 )");
  EXPECT_EQ(BitnessLabelText(32), "( 32位 AutoCAD版 )");
}

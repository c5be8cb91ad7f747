#include "ui/dialog_labels.h"

#include <gtest/gtest.h>

TEST(VersionLabelText, TakesTheDateApartAndPadsOneDigitMonthsAndDaysOnly) {
  const struct {
    int version;
    const char* text;
  } cases[] = {
      {20260331, "Tessarune软件 V2026.03.31"}, {20261105, "Tessarune软件 V2026.11.05"},
      {20260101, "Tessarune软件 V2026.01.01"}, {20261231, "Tessarune软件 V2026.12.31"},
      {20261010, "Tessarune软件 V2026.10.10"}, {20260909, "Tessarune软件 V2026.09.09"},
      {20260910, "Tessarune软件 V2026.09.10"}, {20261009, "Tessarune软件 V2026.10.09"},
      {19990807, "Tessarune软件 V1999.08.07"}, {123450612, "Tessarune软件 V12345.06.12"},
  };
  for (const auto& c : cases) EXPECT_EQ(VersionLabelText(c.version), c.text) << c.version;
}

TEST(BitnessLabelText, ShowsTheBitness) {
  EXPECT_EQ(BitnessLabelText(64), "( 64位 AutoCAD版 )");
  EXPECT_EQ(BitnessLabelText(32), "( 32位 AutoCAD版 )");
}

TEST(LabelTexts, AreCodePage936Bytes) {
  // 软件 is C8ED BCFE in code page 936; 位 CEBB; 版 B0E6.
  EXPECT_EQ(VersionLabelText(20260331), "Tessarune\xC8\xED\xBC\xFE V2026.03.31");
  EXPECT_EQ(BitnessLabelText(64), "( 64\xCE\xBB AutoCAD\xB0\xE6 )");
}

#include "ui/release_boxes.h"

#include "res/resource.h"

// First release that has no 32-bit edition.
constexpr int kFirst64BitOnlyYear = 2017;

int ReleaseCheckBoxId(int year) {
  static const int ids[kYearCount] = {
      IDC_RELEASE_2007, IDC_RELEASE_2008, IDC_RELEASE_2009, IDC_RELEASE_2010, IDC_RELEASE_2011, IDC_RELEASE_2012,
      IDC_RELEASE_2013, IDC_RELEASE_2014, IDC_RELEASE_2015, IDC_RELEASE_2016, IDC_RELEASE_2017, IDC_RELEASE_2018,
      IDC_RELEASE_2019, IDC_RELEASE_2020, IDC_RELEASE_2021, IDC_RELEASE_2022, IDC_RELEASE_2023, IDC_RELEASE_2024,
      IDC_RELEASE_2025, IDC_RELEASE_2026, IDC_RELEASE_2027,
  };
  if (year < kFirstYear || year > kLastYear) return 0;
  return ids[year - kFirstYear];
}

ReleaseBoxStart InitialReleaseBox(int year, bool found, int bitness) {
  ReleaseBoxStart start{found, true, found};
  if (bitness == 32 && year >= kFirst64BitOnlyYear) {
    start.visible = false;
    start.selected = false;
  }
  return start;
}

bool AnyReleaseSelected(const int selected[kYearCount]) {
  for (int i = 0; i < kYearCount; ++i) {
    if (selected[i] != 0) return true;
  }
  return false;
}

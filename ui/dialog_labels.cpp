#include "ui/dialog_labels.h"

#include <cstdio>

std::string VersionLabelText(int productVersion) {
  int year = productVersion / 10000;
  int month = productVersion % 10000 / 100;
  int day = productVersion % 100;

  char head[64];
  if (month >= 10) {
    snprintf(head, sizeof head, "Tessarune软件 V%d.%d", year, month);
  } else {
    snprintf(head, sizeof head, "Tessarune软件 V%d.0%d", year, month);
  }
  // The day goes into a second buffer: the text so far is an argument of this format.
  char full[96];
  if (day >= 10) {
    snprintf(full, sizeof full, "%s.%d", head, day);
  } else {
    snprintf(full, sizeof full, "%s.0%d", head, day);
  }
  return full;
}

std::string BitnessLabelText(int bitness) {
  char text[64];
  snprintf(text, sizeof text, "( %d位 AutoCAD版 )", bitness);
  return text;
}

// The setup dialog's release check boxes: their control ids and how each one starts.
#pragma once

#include "acad/acad_release_table.h"

// The control id of a year's check box; 0 for a year outside 2007..2027.
int ReleaseCheckBoxId(int year);

struct ReleaseBoxStart {
  bool enabled;  // the box can be ticked
  bool visible;
  bool selected;  // false: its selection flag starts at 0
};

// A box is offered only for a release that discovery found; a 32-bit build has no AutoCAD
// 2017 or later to install into, so those boxes are hidden whatever was found.
ReleaseBoxStart InitialReleaseBox(int year, bool found, int bitness);

// True when at least one of the 21 flags (year order) is set: Install is enabled only then.
bool AnyReleaseSelected(const int selected[kYearCount]);

#include "acad/acad_release_table.h"

bool AcadReleaseTable::IsFound(int year) const {
  if (year < kFirstYear || year > kLastYear) return false;
  return !acadFolders[year - kFirstYear].empty();
}

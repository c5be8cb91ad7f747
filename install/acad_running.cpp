#include "install/install.h"
#include "platform/mb_string.h"

bool IsAcadRunning(const Platform& p) {
  const std::string wanted = p.codePage.Lower("acad.exe");

  // The snapshot closes itself on every way out.
  std::unique_ptr<ProcessSnapshot> snapshot = p.processes.Take();
  if (!snapshot) return false;

  std::string exeName;
  for (bool more = snapshot->First(&exeName); more; more = snapshot->Next(&exeName)) {
    // Lower-cased as characters, and matched only at a character start, so that the bytes of a
    // double-byte character never take part in a match.
    if (FindAtCharStart(p.codePage, p.codePage.Lower(exeName), wanted) != std::string::npos) return true;
  }
  return false;
}

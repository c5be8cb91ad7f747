#include "fw/message_map.h"

bool EntryMatches(const MessageMapEntry& entry, UINT message, WPARAM wParam) {
  if (entry.message == WM_CTLCOLOR_ANY) return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
  if (message != WM_COMMAND || entry.message != WM_COMMAND) return false;
  UINT code = HIWORD(wParam);
  UINT id = LOWORD(wParam);
  return code == entry.code && id >= entry.firstId && id <= entry.lastId;
}

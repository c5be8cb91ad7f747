// Which of the system's message-box icons a control shows. Icon handles of another process say
// nothing (Wine hands each process its own copy), so the pixels on screen are compared with the
// standard icons drawn here.
#pragma once

#include <windows.h>

#include <string>

namespace automation {

// "hand" (stop/error), "question", "exclamation" (warning), "asterisk" (information),
// "none" when the control shows nothing, "unknown" when nothing matches well.
std::string IdentifyStandardIcon(HWND iconControl, double* bestShare = nullptr);

// The LoadIcon name of a message-box icon style (MB_ICONHAND ...), for tests; "none" for 0.
std::string StandardIconName(UINT messageBoxStyle);

}  // namespace automation

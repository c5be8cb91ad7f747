// Polling with a deadline. The calling thread's messages are pumped meanwhile, so replies to
// SendMessageCallback arrive while a test waits.
#pragma once

#include <windows.h>

#include <functional>

namespace automation {

// Default time a program under Wine gets to react: generous, Wine starts programs slowly.
constexpr DWORD kDefaultTimeoutMs = 15000;

// True as soon as `condition` holds; false when `timeoutMs` passed without it.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD stepMs = 25);
// Dispatches whatever is queued for the calling thread, and sleeps at most `ms` for more.
void PumpMessages(DWORD ms);

}  // namespace automation

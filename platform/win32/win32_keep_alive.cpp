#include "platform/win32/win32_keep_alive.h"

#include <windows.h>

void PeekKeepAlive::Beat() {
  const ULONGLONG now = GetTickCount64();
  if (last_ != 0 && now - last_ < 100) return;
  last_ = now;
  MSG message;
  PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
}

namespace {

struct Work {
  const std::function<long()>* work;
  long result;
};

DWORD WINAPI RunWork(void* parameter) {
  auto* work = static_cast<Work*>(parameter);
  work->result = (*work->work)();
  return 0;
}

}  // namespace

long RunBeating(KeepAlive* keepAlive, const std::function<long()>& work) {
  if (!keepAlive) return work();
  Work running{&work, 0};
  HANDLE thread = CreateThread(nullptr, 0, RunWork, &running, 0, nullptr);
  if (!thread) return work();
  while (WaitForSingleObject(thread, 50) == WAIT_TIMEOUT) keepAlive->Beat();
  CloseHandle(thread);
  return running.result;
}

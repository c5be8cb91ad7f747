#include "fw/framework_error.h"

#include <cstdio>
#include <new>

#include "fw/win_app.h"

void AfxThrowInvalidArgException() { throw CFrameworkError(E_INVALIDARG); }

long CodeOfCurrentException() noexcept {
  try {
    throw;
  } catch (const CFrameworkError& error) {
    return error.GetCode();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

static bool SystemText(DWORD code, char* text, size_t size) {
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                text, static_cast<DWORD>(size), nullptr);
  if (length == 0) return false;
  while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n')) text[--length] = '\0';
  return length > 0;
}

void FormatErrorText(long code, char* text, size_t size) noexcept {
  if (size == 0) return;
  text[0] = '\0';
  DWORD value = static_cast<DWORD>(code);
  if (SystemText(value, text, size)) return;
  // Some systems describe a Win32 error only by its plain code, not by its HRESULT.
  if (HRESULT_FACILITY(value) == FACILITY_WIN32 && SystemText(HRESULT_CODE(value), text, size)) return;
  snprintf(text, size, "0x%08lX", static_cast<unsigned long>(value));
}

void ReportFrameworkError(HWND owner, long code) noexcept {
  char text[1024];
  FormatErrorText(code, text, sizeof text);
  MessageBoxA(owner, text, AfxGetAppName(), MB_OK | MB_ICONSTOP);
}

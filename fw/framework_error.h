// Errors raised while a window message is handled: they carry an HRESULT or Win32 code and are
// caught, for that one message, where the message entered the framework.
#pragma once

#include <windows.h>

class CFrameworkError {
 public:
  explicit CFrameworkError(long code) : m_code(code) {}
  long GetCode() const { return m_code; }

 private:
  long m_code;
};

[[noreturn]] void AfxThrowInvalidArgException();  // E_INVALIDARG

// The code of the exception being handled: a CFrameworkError's own, E_OUTOFMEMORY for
// std::bad_alloc, E_FAIL for anything else. Call only inside a catch block.
long CodeOfCurrentException() noexcept;

// The system's text for a code, without the trailing line break; a plain number when the
// system has none.
void FormatErrorText(long code, char* text, size_t size) noexcept;

// A stop box with the application name as caption and the system's text for the code.
void ReportFrameworkError(HWND owner, long code) noexcept;

// Runs one message's work; an exception ends only that work and is reported in a box
// owned by `owner`. Returns false when it was reported.
template <class Work>
bool RunGuarded(HWND owner, Work&& work) noexcept {
  try {
    work();
    return true;
  } catch (...) {
    ReportFrameworkError(owner, CodeOfCurrentException());
    return false;
  }
}

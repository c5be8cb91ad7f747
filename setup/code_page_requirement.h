// The setup's texts, its folder names (the drawing library's is GBK) and the names it writes into
// AutoCAD's settings are code page 936: on any other system code page they would match nothing
// or come out garbled. An install there is refused before anything is written; an uninstall
// works by the record and is not.
#pragma once

#include <string>

#include "deploy/install_report.h"
#include "platform/environment.h"

constexpr unsigned kRequiredCodePage = 936;

// The refusal as the dialog shows it, in UTF-16 through MessageBoxW: in the system code page
// the Chinese would not survive.
constexpr wchar_t kCodePageCaption[] = L"Tessarune软件安装";
constexpr wchar_t kCodePageRefusedText[] =
    L"本软件需要简体中文Windows（系统代码页 936）。\n"
    L"请在“区域”设置的“管理”中把“非 Unicode 程序的语言”设为“中文(简体，中国)”，重启后再安装。\n\n"
    L"This setup needs Windows with the Chinese (Simplified) code page 936.\n"
    L"In Region settings, Administrative, set \"Language for non-Unicode programs\" to "
    L"Chinese (Simplified, China), restart Windows and run the setup again.";

// True when an install may run here; otherwise the reason is logged as a failure.
inline bool InstallCodePageSupported(const Environment& env, InstallReport& report) {
  const unsigned codePage = env.AnsiCodePage();
  if (codePage == kRequiredCodePage) return true;
  report.Failure("the system code page is " + std::to_string(codePage) + ", not " +
                 std::to_string(kRequiredCodePage) + ": nothing installed");
  return false;
}

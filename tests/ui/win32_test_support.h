// Helpers for the dialog and framework tests that run against the real window system:
// a dialog that runs a script of steps inside its own modal loop, and a catcher that closes
// the message boxes the code under test shows.
#pragma once

#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "fw/framework.h"

// Posted to the dialog to run its next step.
constexpr UINT kRunNextStep = WM_APP + 1;
// What DoModal returns when the script ran out before the dialog ended.
constexpr int kScriptRanOut = 4242;

// A dialog of class Base that, once initialised, runs its steps one message at a time, so that
// every step sees the effects of the messages the previous one sent or posted.
template <class Base>
class Scripted : public Base {
 public:
  using Step = std::function<void(Scripted&)>;

  template <class... Args>
  explicit Scripted(Args&&... args) : Base(std::forward<Args>(args)...) {}

  std::vector<Step> steps;

  // Lets a step reach the protected parts.
  void CallUpdateData(bool save) { this->UpdateData(save); }

 protected:
  bool OnInitDialog() override {
    // Posted first: the script runs even when the initialisation fails.
    PostMessageA(this->m_hWnd, kRunNextStep, 0, 0);
    return Base::OnInitDialog();
  }

  // Ahead of the dialog's own map: the script's two messages.
  bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
    if (message == kRunNextStep) {
      RunNextStep();
    } else if (message == WM_TIMER && wParam == kRanOutTimer) {
      this->EndDialog(kScriptRanOut);
    } else {
      return Base::OnWndMsg(message, wParam, lParam, result);
    }
    *result = 0;
    return true;
  }

 private:
  void RunNextStep() {
    if (next_ == steps.size()) {
      // What the last step posted (a key, a close) may still be on its way: a dialog still
      // open a while later is a script that did not end it.
      SetTimer(this->m_hWnd, kRanOutTimer, 3000, nullptr);
      return;
    }
    Step step = steps[next_++];
    step(*this);
    PostMessageA(this->m_hWnd, kRunNextStep, 0, 0);
  }

  static constexpr UINT_PTR kRanOutTimer = 77;
  size_t next_ = 0;
};

// Closes every message box this thread shows while it lives (answering IDOK) and keeps the
// caption and text of each. Works inside any modal loop of the thread through a thread timer.
class MessageBoxCatcher {
 public:
  struct Box {
    std::string caption;
    std::string text;
  };

  MessageBoxCatcher() {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 30, &OnTimer);
  }
  ~MessageBoxCatcher() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  MessageBoxCatcher(const MessageBoxCatcher&) = delete;
  MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;

  // Dialogs of the test itself, which are not message boxes.
  void Ignore(HWND window) { ignored_.push_back(window); }

  std::vector<Box> boxes;

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (current_) EnumThreadWindows(GetCurrentThreadId(), &OnWindow, 0);
  }

  static BOOL CALLBACK OnWindow(HWND window, LPARAM) {
    char className[32] = "";
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    // A message box has its text in the static 0xFFFF.
    HWND textControl = GetDlgItem(window, 0xFFFF);
    if (!textControl) return TRUE;
    for (HWND ignored : current_->ignored_) {
      if (ignored == window) return TRUE;
    }
    Box box;
    CWnd wrapper;
    wrapper.Attach(window);
    wrapper.GetWindowText(box.caption);
    wrapper.Detach();
    CWnd text;
    text.Attach(textControl);
    text.GetWindowText(box.text);
    text.Detach();
    current_->boxes.push_back(box);
    current_->ignored_.push_back(window);
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    return TRUE;
  }

  static inline MessageBoxCatcher* current_ = nullptr;
  UINT_PTR timer_ = 0;
  std::vector<HWND> ignored_;
};

// The framework's text for an error code, as the stop box shows it.
inline std::string FrameworkErrorText(long code) {
  char text[1024];
  FormatErrorText(code, text, sizeof text);
  return text;
}

// The window object put in front of the shell's browse window while it is open: it takes the
// OK button and the changes of the added edit box; everything else goes on to the shell.
#pragma once

#include <windows.h>

#include "fw/wnd.h"

class CPathDialog;

// Control ids in the shell's browse window; the edit box is ours.
constexpr int kBrowseTreeId = 14145;
constexpr int kBrowseStatusId = 14147;
constexpr int kBrowseEditId = 14148;

class CPathDialogSub : public CWnd {
 public:
  CPathDialogSub() = default;
  ~CPathDialogSub() override;

  static const MessageMap* GetThisMessageMap();
  const MessageMap* GetMessageMap() const override;

  CPathDialog* m_dialog = nullptr;

 protected:
  void OnOkClicked();
  void OnEditChanged();

 private:
  // The edit box's text into the dialog's path buffer, never more than it holds.
  void ReadEditText();
  void EnableOk(bool enable);
};

#include "picker/path_dialog_sub.h"

#include <shlobj.h>

#include "picker/folder_validation.h"
#include "picker/path_dialog.h"
#include "picker/path_text.h"

// CWnd's destructor lets go of a browse window that is still open.
CPathDialogSub::~CPathDialogSub() = default;

const MessageMap* CPathDialogSub::GetThisMessageMap() {
  static const MessageMapEntry entries[] = {
      MapControl(BN_CLICKED, IDOK, &CPathDialogSub::OnOkClicked),
      MapControl(EN_CHANGE, kBrowseEditId, &CPathDialogSub::OnEditChanged),
  };
  static const MessageMap map = {CWnd::GetThisMessageMap(), entries, sizeof entries / sizeof entries[0]};
  return &map;
}

const MessageMap* CPathDialogSub::GetMessageMap() const { return GetThisMessageMap(); }

void CPathDialogSub::ReadEditText() {
  char* path = m_dialog->m_path;
  path[0] = '\0';
  HWND edit = ::GetDlgItem(m_hWnd, kBrowseEditId);
  // Longer text is cut at the buffer's end: only what fits is read and validated.
  if (edit) ::GetWindowTextA(edit, path, MAX_PATH);
  path[MAX_PATH - 1] = '\0';
  path[WholeCharactersLength(m_dialog->m_platform.codePage, path)] = '\0';
}

void CPathDialogSub::EnableOk(bool enable) { ::SendMessageA(m_hWnd, BFFM_ENABLEOK, 0, enable ? 1 : 0); }

void CPathDialogSub::OnEditChanged() {
  ReadEditText();
  EnableOk(m_dialog->m_path[0] != '\0');
}

void CPathDialogSub::OnOkClicked() {
  // The shell's own OK never runs: it would return the tree's selection, not the typed folder.
  ReadEditText();
  int result = ConfirmInstallPath(m_dialog->m_platform, reinterpret_cast<WindowRef>(m_hWnd), m_dialog->m_path);
  if (result != 0) {
    ::SetFocus(::GetDlgItem(m_hWnd, kBrowseEditId));
    return;
  }
  m_dialog->m_accepted = 1;
  ::EndDialog(m_dialog->m_hBrowseWnd, 1);
}

#include "fw/dialog.h"

#include "fw/framework_error.h"
#include "fw/system_libraries.h"
#include "fw/win_app.h"

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

INT_PTR CDialog::DoModal() {
  // Templates may hold progress bars; their class must exist before the dialog is created.
  EnsureProgressBarClass();
  HWND owner = GetSafeOwner(m_pParentWnd);
  SetLastError(0);
  INT_PTR result = DialogBoxParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), owner, &DialogProc,
                                   reinterpret_cast<LPARAM>(this));
  m_hWnd = nullptr;
  if (result == -1) {
    // The dialog never appeared: say why instead of ending without a word.
    DWORD error = GetLastError();
    ReportFrameworkError(owner, error ? HRESULT_FROM_WIN32(error) : E_FAIL);
  }
  return result;
}

void CDialog::UpdateData(bool saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
}

void CDialog::EndDialog(int result) { ::EndDialog(m_hWnd, result); }

void CDialog::DoDataExchange(CDataExchange*) {}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::OnOK() {
  UpdateData(true);
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

const MessageMap* CDialog::GetThisMessageMap() {
  static const MessageMapEntry entries[] = {
      MapCommand(IDOK, &CDialog::OnOK),
      MapCommand(IDCANCEL, &CDialog::OnCancel),
  };
  static const MessageMap map = {CWnd::GetThisMessageMap(), entries, sizeof entries / sizeof entries[0]};
  return &map;
}

const MessageMap* CDialog::GetMessageMap() const { return GetThisMessageMap(); }

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    dialog->m_hWnd = window;
    bool focusByDefault = true;
    RunGuarded(window, [&] { focusByDefault = dialog->OnInitDialog(); });
    return focusByDefault ? TRUE : FALSE;
  }
  // Messages before WM_INITDIALOG (WM_SETFONT) come before the object is known.
  auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrA(window, DWLP_USER));
  if (!dialog) return FALSE;
  return dialog->HandleMessage(message, wParam, lParam);
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  bool handled = false;
  if (!RunGuarded(m_hWnd, [&] { handled = OnWndMsg(message, wParam, lParam, &result); })) return TRUE;
  if (!handled) return FALSE;
  // Colour requests return the brush itself; every other result goes through DWLP_MSGRESULT.
  if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) return static_cast<INT_PTR>(result);
  SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
  return TRUE;
}

#include "fw/data_exchange.h"

#include "fw/framework_error.h"
#include "fw/wnd.h"

HWND CDataExchange::PrepareCtrl(int id) const {
  HWND control = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
  if (!control) throw CFrameworkError(HRESULT_FROM_WIN32(ERROR_CONTROL_ID_NOT_FOUND));
  return control;
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  HWND window = dx->PrepareCtrl(id);
  if (control.m_hWnd == window) return;
  control.Detach();
  control.Attach(window);
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
  HWND box = dx->PrepareCtrl(id);
  if (dx->m_bSaveAndValidate) {
    value = static_cast<int>(::SendMessageA(box, BM_GETCHECK, 0, 0));
  } else {
    ::SendMessageA(box, BM_SETCHECK, static_cast<WPARAM>(value), 0);
  }
}

void DDX_Text(CDataExchange* dx, int id, std::string& value) {
  HWND control = dx->PrepareCtrl(id);
  CWnd window;
  window.Attach(control);
  if (dx->m_bSaveAndValidate) {
    window.GetWindowText(value);
  } else {
    // Setting an equal text again would only flicker and send a needless EN_CHANGE.
    std::string current;
    window.GetWindowText(current);
    if (current != value) window.SetWindowText(value);
  }
  window.Detach();
}

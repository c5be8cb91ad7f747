// A modal dialog built from a dialog template in the program's resources.
#pragma once

#include <windows.h>

#include "fw/data_exchange.h"
#include "fw/wnd.h"

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);

  // Creates the dialog and runs it until EndDialog; returns EndDialog's result, or -1 when the
  // dialog could not be created (which is reported in a stop box).
  virtual INT_PTR DoModal();

  // true: controls to fields; false: fields to controls.
  void UpdateData(bool saveAndValidate = true);
  void EndDialog(int result);

  static const MessageMap* GetThisMessageMap();
  const MessageMap* GetMessageMap() const override;

 protected:
  virtual void DoDataExchange(CDataExchange* dx);
  // WM_INITDIALOG: fields to controls. True lets the system give the focus to its first choice.
  virtual bool OnInitDialog();
  // IDOK (also Enter): controls to fields, then EndDialog(IDOK).
  virtual void OnOK();
  // IDCANCEL (also Escape and the close box): EndDialog(IDCANCEL).
  virtual void OnCancel();

  // What the dialog window does with a message when the dialog procedure leaves it.
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
};

// Data exchange between a dialog's fields and its controls, in either direction.
#pragma once

#include <windows.h>

#include <string>

class CWnd;

class CDataExchange {
 public:
  CDataExchange(CWnd* dialog, bool saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}

  // The dialog's control with this id; throws CFrameworkError when the dialog has none.
  HWND PrepareCtrl(int id) const;

  CWnd* m_pDlgWnd;
  bool m_bSaveAndValidate;  // true: controls to fields; false: fields to controls
};

// Binds a control object to the dialog's control (both directions).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
// A check box's state: BST_UNCHECKED 0, BST_CHECKED 1, BST_INDETERMINATE 2.
void DDX_Check(CDataExchange* dx, int id, int& value);
// A control's whole text.
void DDX_Text(CDataExchange* dx, int id, std::string& value);

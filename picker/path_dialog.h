// The folder picker: the shell's folder browser with an edit box added above its tree. The
// result is the edit box's text, validated (and created on request) when OK is pressed.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "picker/path_dialog_sub.h"

class CPathDialog {
 public:
  // caption: the browse window's title bar (null for none); title: the text above the tree;
  // initialPath: the folder selected at first (null for the current directory). The strings
  // are the caller's and must outlive the dialog.
  CPathDialog(const char* caption, const char* title, const char* initialPath, CWnd* parent);
  virtual ~CPathDialog() = default;
  CPathDialog(const CPathDialog&) = delete;
  CPathDialog& operator=(const CPathDialog&) = delete;

  // 1 when a folder was accepted (GetChosenPath has it), otherwise -1.
  virtual INT_PTR DoModal();
  std::string GetChosenPath() const;

  static int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM param, LPARAM data);

 private:
  friend class CPathDialogSub;

  void OnInitialized(HWND window);
  void OnSelectionChanged(HWND window, LPCITEMIDLIST item);

  const char* m_caption;
  const char* m_initialPath;
  char m_path[MAX_PATH];  // the edit box's text as last read
  BROWSEINFOA m_browseInfo;
  HWND m_hBrowseWnd;
  HWND m_owner;
  int m_accepted;
  CPathDialogSub m_sub;
};

// The folder picker: the shell's folder browser with an edit box added above its tree. The
// result is the edit box's text, validated (and created on request) when OK is pressed.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "picker/path_dialog_sub.h"
#include "platform/platform.h"

class CPathDialog {
 public:
  // platform: the seams the typed folder is checked and created with; caption: the browse
  // window's title bar (null for none); title: the text above the tree; initialPath: the folder
  // selected at first (null for the current directory). All are the caller's and must outlive
  // the dialog.
  CPathDialog(const Platform& platform, const char* caption, const char* title, const char* initialPath,
              CWnd* parent);
  CPathDialog(const CPathDialog&) = delete;
  CPathDialog& operator=(const CPathDialog&) = delete;

  // 1 when a folder was accepted (GetChosenPath has it), otherwise -1.
  INT_PTR DoModal();
  std::string GetChosenPath() const;

 private:
  friend class CPathDialogSub;

  static int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM param, LPARAM data);

  void OnInitialized(HWND window);
  void OnSelectionChanged(HWND window, LPCITEMIDLIST item);

  const Platform& m_platform;
  const char* m_caption;
  const char* m_initialPath;
  char m_path[MAX_PATH];  // the edit box's text as last read
  BROWSEINFOA m_browseInfo;
  HWND m_hBrowseWnd;
  HWND m_owner;
  int m_accepted;
  CPathDialogSub m_sub;
};

#include "picker/path_dialog.h"

#include <objbase.h>

CPathDialog::CPathDialog(const Platform& platform, const char* caption, const char* title, const char* initialPath,
                         CWnd* parent)
    : m_platform(platform), m_caption(caption), m_initialPath(initialPath), m_hBrowseWnd(nullptr), m_accepted(0) {
  m_path[0] = '\0';
  m_owner = CWnd::GetSafeOwner(parent);
  m_sub.m_dialog = this;
  ZeroMemory(&m_browseInfo, sizeof m_browseInfo);
  m_browseInfo.hwndOwner = m_owner;
  m_browseInfo.pszDisplayName = nullptr;  // a buffer of DoModal's own, while it runs
  m_browseInfo.lpszTitle = title;
  m_browseInfo.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
  m_browseInfo.lpfn = &BrowseCallback;
}

INT_PTR CPathDialog::DoModal() {
  char displayName[MAX_PATH];  // the shell writes the selection's name here; not used
  m_browseInfo.lParam = reinterpret_cast<LPARAM>(this);
  m_browseInfo.lpfn = &BrowseCallback;
  m_browseInfo.pszDisplayName = displayName;

  IMalloc* allocator = nullptr;
  if (FAILED(SHGetMalloc(&allocator)) || !allocator) {
    m_browseInfo.pszDisplayName = nullptr;
    return -1;
  }
  m_accepted = 0;

  // The shell's browser wants COM on the calling thread; S_FALSE (already there) is balanced too.
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  LPITEMIDLIST selection = SHBrowseForFolderA(&m_browseInfo);
  // The tree's selection is not the result: the edit box's text in m_path is.
  if (selection) allocator->Free(selection);
  allocator->Release();
  if (SUCCEEDED(com)) CoUninitialize();

  m_browseInfo.pszDisplayName = nullptr;
  m_hBrowseWnd = nullptr;
  return m_accepted ? 1 : -1;
}

std::string CPathDialog::GetChosenPath() const { return std::string(m_path); }

int CALLBACK CPathDialog::BrowseCallback(HWND window, UINT message, LPARAM param, LPARAM data) {
  auto* dialog = reinterpret_cast<CPathDialog*>(data);
  if (!dialog) return 0;
  if (message == BFFM_INITIALIZED) {
    dialog->OnInitialized(window);
  } else if (message == BFFM_SELCHANGED) {
    dialog->OnSelectionChanged(window, reinterpret_cast<LPCITEMIDLIST>(param));
  }
  return 0;
}

void CPathDialog::OnInitialized(HWND window) {
  m_hBrowseWnd = window;
  if (m_caption) SetWindowTextA(window, m_caption);
  m_sub.SubclassWindow(window);

  ShowWindow(GetDlgItem(window, kBrowseStatusId), SW_HIDE);

  RECT tree{};
  GetWindowRect(GetDlgItem(window, kBrowseTreeId), &tree);
  POINT topLeft = {tree.left, tree.top - 27};
  POINT bottomRight = {tree.right, tree.top - 4};
  ScreenToClient(window, &topLeft);
  ScreenToClient(window, &bottomRight);

  const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
  HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", style, topLeft.x, topLeft.y, bottomRight.x - topLeft.x,
                              bottomRight.y - topLeft.y, window, nullptr, nullptr, nullptr);
  SetWindowLongPtrA(edit, GWLP_ID, kBrowseEditId);
  // Only 259 bytes are read back: let nobody type more than will be checked and used.
  SendMessageA(edit, EM_LIMITTEXT, MAX_PATH - 1, 0);
  ShowWindow(edit, SW_SHOW);
  LRESULT font = SendMessageA(window, WM_GETFONT, 0, 0);
  SendMessageA(edit, WM_SETFONT, static_cast<WPARAM>(font), TRUE);

  // OK follows the edit box's text from the start: it stays off until something fills the box.
  SendMessageA(window, BFFM_ENABLEOK, 0, 0);

  // The edit box is filled by the selection change that the browser reports for this.
  char currentFolder[MAX_PATH] = "";
  const char* initial = m_initialPath;
  if (!initial) {
    DWORD length = GetCurrentDirectoryA(MAX_PATH, currentFolder);
    // A current directory longer than the buffer leaves it unwritten: select nothing then.
    if (length == 0 || length >= MAX_PATH) currentFolder[0] = '\0';
    initial = currentFolder;
  }
  SendMessageA(window, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(initial));
}

void CPathDialog::OnSelectionChanged(HWND window, LPCITEMIDLIST item) {
  char path[MAX_PATH] = "";
  // Only a folder with a drive letter counts: not the computer, the network or a share.
  bool counts = item && SHGetPathFromIDListA(item, path) && path[1] == ':';
  if (!counts) path[0] = '\0';
  SendMessageA(window, BFFM_ENABLEOK, 0, counts ? 1 : 0);
  SendMessageA(window, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path));
  // Its EN_CHANGE decides whether OK stays enabled.
  HWND edit = GetDlgItem(window, kBrowseEditId);
  if (edit) SetWindowTextA(edit, path);
}

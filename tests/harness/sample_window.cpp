// A small dialog program for the harness to drive: the same kinds of controls as the setup
// dialog, message boxes with and without an owner, and Chinese text through the A functions.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>

#include "sample_window_ids.h"

namespace {

HBRUSH g_background;
HICON g_customIcon;
int g_changes;
int g_clicks;

// A checkerboard icon, like none of the system's: the harness must not mistake it for one.
HICON MakeCustomIcon() {
  const int size = GetSystemMetrics(SM_CXICON);
  HDC screen = GetDC(nullptr);
  HBITMAP colour = CreateCompatibleBitmap(screen, size, size);
  HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, colour);
  for (int y = 0; y < size; y += 4) {
    for (int x = 0; x < size; x += 4) {
      RECT cell{x, y, x + 4, y + 4};
      HBRUSH brush = CreateSolidBrush(((x + y) / 4) % 2 ? RGB(0, 160, 0) : RGB(250, 0, 250));
      FillRect(dc, &cell, brush);
      DeleteObject(brush);
    }
  }
  SelectObject(dc, mask);
  PatBlt(dc, 0, 0, size, size, BLACKNESS);  // opaque everywhere
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  ICONINFO info{TRUE, 0, 0, mask, colour};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(colour);
  DeleteObject(mask);
  return icon;
}

void ShowNumber(HWND dialog, int id, int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  SetDlgItemTextA(dialog, id, text);
}

INT_PTR CALLBACK SampleProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SendDlgItemMessageA(dialog, IDC_SAMPLE_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, kSampleProgressMax));
      SendDlgItemMessageA(dialog, IDC_SAMPLE_PROGRESS, PBM_SETPOS, kSampleProgressPos, 0);
      SetDlgItemTextA(dialog, IDC_SAMPLE_CHINESE, kSampleChinese);
      SendDlgItemMessageA(dialog, IDC_SAMPLE_ICON_STANDARD, STM_SETICON,
                          reinterpret_cast<WPARAM>(LoadIconA(nullptr, IDI_QUESTION)), 0);
      SendDlgItemMessageA(dialog, IDC_SAMPLE_ICON_CUSTOM, STM_SETICON, reinterpret_cast<WPARAM>(g_customIcon), 0);
      // Counting starts now: the initial text above must not count as typing.
      g_changes = 0;
      return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      return reinterpret_cast<INT_PTR>(g_background);
    case WM_CTLCOLORDLG:
      return reinterpret_cast<INT_PTR>(g_background);
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL: {
          bool ticked = IsDlgButtonChecked(dialog, IDC_SAMPLE_CHECK) == BST_CHECKED;
          EndDialog(dialog, LOWORD(wParam) + (ticked ? kSampleExitChecked : 0));
          return TRUE;
        }
        case IDC_SAMPLE_CHECK:
          if (HIWORD(wParam) == BN_CLICKED) ShowNumber(dialog, IDC_SAMPLE_CLICKS, ++g_clicks);
          return TRUE;
        case IDC_SAMPLE_EDIT:
          if (HIWORD(wParam) == EN_CHANGE) ShowNumber(dialog, IDC_SAMPLE_CHANGES, ++g_changes);
          return TRUE;
        case IDC_SAMPLE_ASK: {
          int answer = MessageBoxA(dialog, kSampleQuestion, kSampleQuestionCaption, MB_ICONEXCLAMATION | MB_YESNO);
          SetDlgItemTextA(dialog, IDC_SAMPLE_ANSWER, answer == IDYES ? "yes" : answer == IDNO ? "no" : "other");
          return TRUE;
        }
        case IDC_SAMPLE_NOTE:
          MessageBoxA(nullptr, kSampleNote, kSampleNoteCaption, MB_OK | MB_ICONINFORMATION);
          SetDlgItemTextA(dialog, IDC_SAMPLE_ANSWER, "noted");
          return TRUE;
        case IDC_SAMPLE_SLOW:
          Sleep(kSampleSlowMs);
          SetDlgItemTextA(dialog, IDC_SAMPLE_ANSWER, "slow done");
          return TRUE;
        case IDC_SAMPLE_DISABLED:
          // Never enabled: reaching here means a click went through that a user could not make.
          SetDlgItemTextA(dialog, IDC_SAMPLE_ANSWER, "disabled clicked");
          return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  g_background = CreateSolidBrush(RGB(kSampleRed, kSampleGreen, kSampleBlue));
  g_customIcon = MakeCustomIcon();
  INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SAMPLE), nullptr, SampleProc, 0);
  DestroyIcon(g_customIcon);
  DeleteObject(g_background);
  return kSampleExitBase + static_cast<int>(result);
}

// GDI objects that the window holds while it lives: deleted with the object.
#pragma once

#include <windows.h>

class CBrush {
 public:
  CBrush() = default;
  ~CBrush() { DeleteObject(); }
  CBrush(const CBrush&) = delete;
  CBrush& operator=(const CBrush&) = delete;

  // Replaces any brush held before.
  bool CreateSolidBrush(COLORREF color);
  bool DeleteObject();
  operator HBRUSH() const { return m_hObject; }

  HBRUSH m_hObject = nullptr;
};

class CFont {
 public:
  CFont() = default;
  ~CFont() { DeleteObject(); }
  CFont(const CFont&) = delete;
  CFont& operator=(const CFont&) = delete;

  // CreateFontA's parameters; replaces any font held before.
  bool CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                  BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                  BYTE pitchAndFamily, const char* faceName);
  bool DeleteObject();
  operator HFONT() const { return m_hObject; }

  HFONT m_hObject = nullptr;
};

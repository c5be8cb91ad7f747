// GDI objects that the window holds while it lives: deleted with the object.
#pragma once

#include <windows.h>

// What every held GDI object does: it is deleted with its holder, and a new one replaces it.
template <typename Handle>
class CGdiObjectT {
 public:
  CGdiObjectT() = default;
  ~CGdiObjectT() { DeleteObject(); }
  CGdiObjectT(const CGdiObjectT&) = delete;
  CGdiObjectT& operator=(const CGdiObjectT&) = delete;

  bool DeleteObject() {
    if (!m_hObject) return false;
    ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return true;
  }
  operator Handle() const { return m_hObject; }

  Handle m_hObject = nullptr;

 protected:
  bool Attach(Handle object) {
    DeleteObject();
    m_hObject = object;
    return m_hObject != nullptr;
  }
};

class CBrush : public CGdiObjectT<HBRUSH> {
 public:
  bool CreateSolidBrush(COLORREF color) { return Attach(::CreateSolidBrush(color)); }
};

class CFont : public CGdiObjectT<HFONT> {
 public:
  // CreateFontA's parameters.
  bool CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                  BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                  BYTE pitchAndFamily, const char* faceName) {
    return Attach(::CreateFontA(height, width, escapement, orientation, weight, italic, underline, strikeOut,
                                charSet, outPrecision, clipPrecision, quality, pitchAndFamily, faceName));
  }
};

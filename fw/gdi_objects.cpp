#include "fw/gdi_objects.h"

bool CBrush::CreateSolidBrush(COLORREF color) {
  DeleteObject();
  m_hObject = ::CreateSolidBrush(color);
  return m_hObject != nullptr;
}

bool CBrush::DeleteObject() {
  if (!m_hObject) return false;
  ::DeleteObject(m_hObject);
  m_hObject = nullptr;
  return true;
}

bool CFont::CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                       BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision,
                       BYTE quality, BYTE pitchAndFamily, const char* faceName) {
  DeleteObject();
  m_hObject = ::CreateFontA(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                            outPrecision, clipPrecision, quality, pitchAndFamily, faceName);
  return m_hObject != nullptr;
}

bool CFont::DeleteObject() {
  if (!m_hObject) return false;
  ::DeleteObject(m_hObject);
  m_hObject = nullptr;
  return true;
}

#include "automation/capture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "automation/text.h"
#include "automation/windows.h"

namespace automation {

namespace {

// Draws with `paint` into a top-down 32-bit DIB section and returns its pixels.
template <typename Paint>
Pixels PaintIntoDib(int width, int height, Paint paint) {
  Pixels pixels;
  if (width <= 0 || height <= 0) return pixels;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib && bits) {
    HGDIOBJ old = SelectObject(memory, dib);
    paint(memory, screen);
    GdiFlush();
    pixels.width = width;
    pixels.height = height;
    pixels.rgb.resize(static_cast<size_t>(width) * height);
    const uint32_t* source = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < pixels.rgb.size(); ++i) pixels.rgb[i] = source[i] & 0x00FFFFFF;
    SelectObject(memory, old);
  }
  if (dib) DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

void Put16(std::vector<unsigned char>& out, unsigned value) {
  out.push_back(value & 0xFF);
  out.push_back((value >> 8) & 0xFF);
}

void Put32(std::vector<unsigned char>& out, unsigned value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

unsigned Get32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<unsigned>(p[3]) << 24);
}

}  // namespace

Pixels CaptureScreen(const RECT& wanted) {
  RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  RECT rect{};
  if (!IntersectRect(&rect, &wanted, &screen)) return Pixels();
  return PaintIntoDib(rect.right - rect.left, rect.bottom - rect.top, [&](HDC memory, HDC screenDc) {
    BitBlt(memory, 0, 0, rect.right - rect.left, rect.bottom - rect.top, screenDc, rect.left, rect.top,
           SRCCOPY | CAPTUREBLT);
  });
}

Pixels CaptureWindow(HWND hwnd) {
  SettleWindow(hwnd);
  return CaptureScreen(WindowRect(hwnd));
}

Pixels RenderIcon(HICON icon, int width, int height, uint32_t background, int left, int top) {
  return PaintIntoDib(width, height, [&](HDC memory, HDC) {
    HBRUSH brush = CreateSolidBrush(RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF));
    RECT all{0, 0, width, height};
    FillRect(memory, &all, brush);
    DeleteObject(brush);
    DrawIconEx(memory, left, top, icon, 0, 0, 0, nullptr, DI_NORMAL);
  });
}

bool SaveBmp(const Pixels& pixels, const std::string& path) {
  if (pixels.width <= 0 || pixels.height <= 0) return false;
  const unsigned stride = (pixels.width * 3 + 3) & ~3u;
  const unsigned imageSize = stride * pixels.height;
  std::vector<unsigned char> out;
  out.reserve(54 + imageSize);
  out.push_back('B');
  out.push_back('M');
  Put32(out, 54 + imageSize);
  Put32(out, 0);
  Put32(out, 54);
  Put32(out, 40);
  Put32(out, pixels.width);
  Put32(out, pixels.height);
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, BI_RGB);
  Put32(out, imageSize);
  Put32(out, 2835);  // 72 dpi
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = pixels.height - 1; y >= 0; --y) {
    size_t rowStart = out.size();
    for (int x = 0; x < pixels.width; ++x) {
      uint32_t c = pixels.At(x, y);
      out.push_back(c & 0xFF);
      out.push_back((c >> 8) & 0xFF);
      out.push_back((c >> 16) & 0xFF);
    }
    out.resize(rowStart + stride, 0);
  }
  HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, out.data(), static_cast<DWORD>(out.size()), &written, nullptr) && written == out.size();
  CloseHandle(file);
  return ok;
}

bool LoadBmp(const std::string& path, Pixels* pixels) {
  HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD size = GetFileSize(file, nullptr);
  std::vector<unsigned char> data(size);
  DWORD read = 0;
  bool ok = ReadFile(file, data.data(), size, &read, nullptr) && read == size;
  CloseHandle(file);
  if (!ok || size < 54 || data[0] != 'B' || data[1] != 'M') return false;
  unsigned offset = Get32(&data[10]);
  int width = static_cast<int>(Get32(&data[18]));
  int height = static_cast<int>(Get32(&data[22]));
  unsigned bits = data[28] | (data[29] << 8);
  if (bits != 24 || width <= 0 || height <= 0) return false;
  unsigned stride = (width * 3 + 3) & ~3u;
  if (offset + static_cast<size_t>(stride) * height > size) return false;
  pixels->width = width;
  pixels->height = height;
  pixels->rgb.assign(static_cast<size_t>(width) * height, 0);
  for (int y = 0; y < height; ++y) {
    const unsigned char* row = &data[offset + static_cast<size_t>(stride) * (height - 1 - y)];
    for (int x = 0; x < width; ++x) {
      pixels->rgb[static_cast<size_t>(y) * width + x] = RgbValue(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]);
    }
  }
  return true;
}

double MatchingShare(const Pixels& a, const Pixels& b, int tolerance) {
  if (a.width != b.width || a.height != b.height || a.rgb.empty()) return 0.0;
  size_t same = 0;
  for (size_t i = 0; i < a.rgb.size(); ++i) {
    uint32_t p = a.rgb[i], q = b.rgb[i];
    bool close = true;
    for (int shift = 0; shift <= 16; shift += 8) {
      int d = static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((q >> shift) & 0xFF);
      if (std::abs(d) > tolerance) close = false;
    }
    if (close) ++same;
  }
  return static_cast<double>(same) / a.rgb.size();
}

}  // namespace automation

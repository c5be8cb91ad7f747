// Pictures of the screen: what the user sees, read back with BitBlt from the screen DC.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace automation {

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> rgb;  // 0x00RRGGBB, top row first

  uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};

constexpr uint32_t RgbValue(int r, int g, int b) {
  return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | static_cast<uint32_t>(b);
}

// The part of the screen inside `rect` (screen coordinates, clipped to the screen).
Pixels CaptureScreen(const RECT& rect);
// The window as it shows on screen, frame included; painting is settled first.
Pixels CaptureWindow(HWND hwnd);
// Renders an icon at its own size on a background of one colour.
Pixels RenderIcon(HICON icon, int width, int height, uint32_t background, int left = 0, int top = 0);

// 24-bit bottom-up BMP, the form every viewer and ImageMagick read.
bool SaveBmp(const Pixels& pixels, const std::string& path);
bool LoadBmp(const std::string& path, Pixels* pixels);

// Share of pixels whose channels differ by at most `tolerance`; 0 when the sizes differ.
double MatchingShare(const Pixels& a, const Pixels& b, int tolerance = 24);

}  // namespace automation

#include "automation/standard_icons.h"

#include "automation/capture.h"
#include "automation/windows.h"

namespace automation {

namespace {

struct StandardIcon {
  const char* name;
  LPCWSTR id;
};

const StandardIcon kStandardIcons[] = {
    {"hand", IDI_HAND},
    {"question", IDI_QUESTION},
    {"exclamation", IDI_EXCLAMATION},
    {"asterisk", IDI_ASTERISK},
};

// Below this share the control shows something else, such as a custom icon.
constexpr double kMinimumShare = 0.93;

bool Uniform(const Pixels& pixels) {
  for (uint32_t c : pixels.rgb) {
    if (c != pixels.rgb[0]) return false;
  }
  return true;
}

}  // namespace

std::string IdentifyStandardIcon(HWND iconControl, double* bestShare) {
  if (bestShare) *bestShare = 0.0;
  if (!IsWindowVisible(iconControl)) return "none";
  RECT client{};
  GetClientRect(iconControl, &client);
  MapWindowPoints(iconControl, nullptr, reinterpret_cast<POINT*>(&client), 2);
  SettleWindow(GetAncestor(iconControl, GA_ROOT));
  Pixels shown = CaptureScreen(client);
  if (shown.rgb.empty() || Uniform(shown)) return "none";

  const int iconWidth = GetSystemMetrics(SM_CXICON), iconHeight = GetSystemMetrics(SM_CYICON);
  const uint32_t background = shown.At(0, 0);
  std::string bestName = "unknown";
  double best = 0.0;
  for (const StandardIcon& candidate : kStandardIcons) {
    HICON icon = LoadIconW(nullptr, candidate.id);
    if (!icon) continue;
    // The static draws the icon at its top-left corner, or centred when it is larger than the icon.
    const POINT placements[] = {{0, 0}, {(shown.width - iconWidth) / 2, (shown.height - iconHeight) / 2}};
    for (const POINT& at : placements) {
      double share = MatchingShare(shown, RenderIcon(icon, shown.width, shown.height, background, at.x, at.y));
      if (share > best) {
        best = share;
        bestName = candidate.name;
      }
    }
  }
  if (bestShare) *bestShare = best;
  return best >= kMinimumShare ? bestName : "unknown";
}

std::string StandardIconName(UINT messageBoxStyle) {
  switch (messageBoxStyle & MB_ICONMASK) {
    case MB_ICONHAND: return "hand";
    case MB_ICONQUESTION: return "question";
    case MB_ICONEXCLAMATION: return "exclamation";
    case MB_ICONASTERISK: return "asterisk";
    default: return "none";
  }
}

}  // namespace automation

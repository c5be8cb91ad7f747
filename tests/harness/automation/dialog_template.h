// Dialog templates read back from a built executable (RT_DIALOG), in the extended layout
// DLGTEMPLATEEX (DIALOGEX in a .rc file).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace automation {

// A name-or-ordinal field: a string, an ordinal (0xFFFF marker), or nothing.
struct TemplateName {
  bool present = false;
  bool isOrdinal = false;
  unsigned ordinal = 0;
  std::string text;  // UTF-8
};

struct DialogItemTemplate {
  DWORD helpId = 0;
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  int id = 0;  // -1 for 0xFFFFFFFF
  TemplateName windowClass;
  TemplateName title;
  std::vector<uint8_t> creationData;

  // "Button", "Edit", "Static", ... for the predefined classes (ordinal or name in any case),
  // else the class name as stored (window class names compare without case).
  std::string ClassName() const;
};

struct DialogTemplate {
  DWORD helpId = 0;
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  TemplateName menu;
  TemplateName windowClass;
  std::string title;
  bool hasFont = false;
  int pointSize = 0;
  int weight = 0;
  bool italic = false;
  int charset = 0;
  std::string typeface;
  std::vector<DialogItemTemplate> items;
};

// Bounds-checked: false with a reason for a truncated or malformed template, or one in the
// classic layout.
bool ParseDialogTemplate(const uint8_t* data, size_t size, DialogTemplate* dialog, std::string* error);

// A resource of a module file, loaded as data (the module's code never runs).
struct ResourceData {
  std::vector<uint8_t> bytes;
  std::vector<WORD> languages;  // every language the resource exists in
};
bool ReadResource(const std::string& modulePath, LPCWSTR type, LPCWSTR name, ResourceData* resource,
                  std::string* error);
bool LoadDialogTemplate(const std::string& modulePath, int id, DialogTemplate* dialog, std::string* error,
                        std::vector<WORD>* languages = nullptr);

std::string FormatTemplateName(const TemplateName& name);  // "" / "#147" / the text

}  // namespace automation

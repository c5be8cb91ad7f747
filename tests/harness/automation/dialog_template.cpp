#include "automation/dialog_template.h"

#include <cstring>

#include "automation/text.h"

namespace automation {

std::string DialogItemTemplate::ClassName() const {
  static const char* const kPredefined[] = {"Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox"};
  if (windowClass.isOrdinal) {
    if (windowClass.ordinal >= 0x80 && windowClass.ordinal <= 0x85) return kPredefined[windowClass.ordinal - 0x80];
    return "#" + std::to_string(windowClass.ordinal);
  }
  // Resource compilers may store a predefined class by name, in any case.
  for (const char* name : kPredefined) {
    if (_stricmp(windowClass.text.c_str(), name) == 0) return name;
  }
  return windowClass.text;
}

namespace {

// Reads little-endian fields from the template, refusing to step past its end.
class TemplateReader {
 public:
  TemplateReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool Word(WORD* value) { return Bytes(value, 2); }
  bool Dword(DWORD* value) { return Bytes(value, 4); }
  bool Short(int* value) {
    int16_t v;
    if (!Bytes(&v, 2)) return false;
    *value = v;
    return true;
  }
  bool Byte(uint8_t* value) { return Bytes(value, 1); }

  bool String(std::string* text) {
    std::wstring wide;
    for (;;) {
      WORD c;
      if (!Word(&c)) return false;
      if (c == 0) break;
      wide += static_cast<wchar_t>(c);
    }
    *text = Utf8FromWide(wide);
    return true;
  }

  bool Name(TemplateName* name) {
    WORD first;
    if (!Word(&first)) return false;
    name->present = first != 0;
    name->isOrdinal = false;
    name->text.clear();
    if (first == 0) return true;
    if (first == 0xFFFF) {
      WORD ordinal;
      if (!Word(&ordinal)) return false;
      name->isOrdinal = true;
      name->ordinal = ordinal;
      return true;
    }
    pos_ -= 2;
    return String(&name->text);
  }

  bool AlignDword() {
    size_t aligned = (pos_ + 3) & ~size_t{3};
    // The last item may end the resource without padding.
    pos_ = aligned <= size_ ? aligned : size_;
    return true;
  }

  bool Skip(size_t count, std::vector<uint8_t>* into) {
    if (count > size_ - pos_) return false;
    into->assign(data_ + pos_, data_ + pos_ + count);
    pos_ += count;
    return true;
  }

 private:
  bool Bytes(void* out, size_t count) {
    if (count > size_ - pos_) return false;
    std::memcpy(out, data_ + pos_, count);
    pos_ += count;
    return true;
  }

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

bool ParseHeader(TemplateReader& in, DialogTemplate* dialog, WORD* count) {
  WORD version = 0, signature = 0;
  // DLGTEMPLATEEX starts with dlgVer 1 and signature 0xFFFF.
  if (!in.Word(&version) || !in.Word(&signature) || version != 1 || signature != 0xFFFF) return false;
  if (!in.Dword(&dialog->helpId) || !in.Dword(&dialog->exStyle) || !in.Dword(&dialog->style)) return false;
  if (!in.Word(count) || !in.Short(&dialog->x) || !in.Short(&dialog->y) || !in.Short(&dialog->cx) ||
      !in.Short(&dialog->cy)) {
    return false;
  }
  if (!in.Name(&dialog->menu) || !in.Name(&dialog->windowClass) || !in.String(&dialog->title)) return false;
  dialog->hasFont = (dialog->style & (DS_SETFONT | DS_SHELLFONT)) != 0;
  if (dialog->hasFont) {
    WORD points = 0;
    if (!in.Word(&points)) return false;
    dialog->pointSize = points;
    WORD weight = 0;
    uint8_t italic = 0, charset = 0;
    if (!in.Word(&weight) || !in.Byte(&italic) || !in.Byte(&charset)) return false;
    dialog->weight = weight;
    dialog->italic = italic != 0;
    dialog->charset = charset;
    if (!in.String(&dialog->typeface)) return false;
  }
  return true;
}

bool ParseItem(TemplateReader& in, DialogItemTemplate* item) {
  in.AlignDword();
  DWORD id = 0;
  if (!in.Dword(&item->helpId) || !in.Dword(&item->exStyle) || !in.Dword(&item->style) || !in.Short(&item->x) ||
      !in.Short(&item->y) || !in.Short(&item->cx) || !in.Short(&item->cy) || !in.Dword(&id)) {
    return false;
  }
  item->id = id == 0xFFFFFFFF ? -1 : static_cast<int>(id);
  WORD extra = 0;
  if (!in.Name(&item->windowClass) || !in.Name(&item->title) || !in.Word(&extra)) return false;
  // Creation data follows its size word directly.
  if (extra > 0 && !in.Skip(extra, &item->creationData)) return false;
  return true;
}

}  // namespace

bool ParseDialogTemplate(const uint8_t* data, size_t size, DialogTemplate* dialog, std::string* error) {
  *dialog = DialogTemplate();
  TemplateReader in(data, size);
  WORD count = 0;
  if (!ParseHeader(in, dialog, &count)) {
    *error = "truncated dialog header, or not the extended layout";
    return false;
  }
  for (WORD i = 0; i < count; ++i) {
    DialogItemTemplate item;
    if (!ParseItem(in, &item)) {
      *error = "truncated control " + std::to_string(i + 1) + " of " + std::to_string(count);
      return false;
    }
    dialog->items.push_back(item);
  }
  return true;
}

namespace {

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
  reinterpret_cast<std::vector<WORD>*>(param)->push_back(language);
  return TRUE;
}

}  // namespace

bool ReadResource(const std::string& modulePath, LPCWSTR type, LPCWSTR name, ResourceData* resource,
                  std::string* error) {
  HMODULE module = LoadLibraryExW(WideFromUtf8(modulePath).c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!module) {
    *error = "cannot load " + modulePath + " as data: error " + std::to_string(GetLastError());
    return false;
  }
  resource->languages.clear();
  EnumResourceLanguagesW(module, type, name, CollectLanguage, reinterpret_cast<LONG_PTR>(&resource->languages));
  HRSRC found = FindResourceW(module, name, type);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) {
    *error = "resource not found in " + modulePath;
    FreeLibrary(module);
    return false;
  }
  const uint8_t* start = static_cast<const uint8_t*>(bytes);
  resource->bytes.assign(start, start + SizeofResource(module, found));
  FreeLibrary(module);
  return true;
}

bool LoadDialogTemplate(const std::string& modulePath, int id, DialogTemplate* dialog, std::string* error,
                        std::vector<WORD>* languages) {
  ResourceData resource;
  if (!ReadResource(modulePath, RT_DIALOG, MAKEINTRESOURCEW(id), &resource, error)) return false;
  if (languages) *languages = resource.languages;
  return ParseDialogTemplate(resource.bytes.data(), resource.bytes.size(), dialog, error);
}

std::string FormatTemplateName(const TemplateName& name) {
  if (!name.present) return std::string();
  if (name.isOrdinal) return "#" + std::to_string(name.ordinal);
  return name.text;
}

}  // namespace automation

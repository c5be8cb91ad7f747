// The record as text an administrator can read in Notepad: a header line, then one line per
// item, its fields separated by tabs. A control character or '%' in a field is written %XX, and
// so is every byte of a field that would not come back the same through UTF-8 (registry data
// that is no text).
#include "deploy/install_record.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace {

// Followed by the format's number.
constexpr char kHeader[] = "Tessarune Setup install record\t";
constexpr char kLineEnd[] = "\r\n";

// ---- Writing ----

std::string Escaped(const std::string& field, bool highBytesToo) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : field) {
    if (c < 0x20 || c == 0x7F || c == '%' || (highBytesToo && c >= 0x80)) {
      out += '%';
      out += kDigits[c >> 4];
      out += kDigits[c & 0xF];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

class Writer {
 public:
  Writer(const CodePage& cp, uint32_t format) : cp_(cp), text_(kHeader + std::to_string(format) + kLineEnd) {}

  void Line(const std::vector<std::string>& fields) {
    bool first = true;
    for (const std::string& field : fields) {
      if (!first) text_ += '\t';
      first = false;
      std::string utf8 = cp_.ToUtf8(Escaped(field, false));
      if (cp_.FromUtf8(utf8) != Escaped(field, false)) utf8 = Escaped(field, true);
      text_ += utf8;
    }
    text_ += kLineEnd;
  }
  // A line kept as it was read.
  void Raw(const std::string& utf8) { text_ += utf8 + kLineEnd; }
  const std::string& Text() const { return text_; }

 private:
  const CodePage& cp_;
  std::string text_;
};

std::string YesNo(bool value) { return value ? "yes" : "no"; }

// ---- Reading ----

bool Unescape(const std::string& field, std::string* out) {
  out->clear();
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '%') {
      *out += field[i];
      continue;
    }
    unsigned value = 0;
    for (size_t k = 1; k <= 2; ++k) {
      const char c = i + k < field.size() ? field[i + k] : '\0';
      const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (digit < 0) return false;
      value = value * 16 + static_cast<unsigned>(digit);
    }
    *out += static_cast<char>(value);
    i += 2;
  }
  return true;
}

bool Number(const std::string& text, uint64_t limit, uint64_t* value) {
  if (text.empty() || text.size() > 20) return false;
  uint64_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (n > (limit - digit) / 10) return false;
    n = n * 10 + digit;
  }
  *value = n;
  return true;
}

bool Type(const std::string& text, uint32_t* type) {
  uint64_t n = 0;
  if (!Number(text, UINT32_MAX, &n)) return false;
  *type = static_cast<uint32_t>(n);
  return true;
}

bool Flag(const std::string& text, bool* flag) {
  if (text != "yes" && text != "no") return false;
  *flag = text == "yes";
  return true;
}

bool IsSha256(const std::string& text) {
  return text.empty() || (text.size() == 64 && std::all_of(text.begin(), text.end(), [](char c) {
                            return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
                          }));
}

const char* const kKinds[] = {"version", "time", "account", "installFolder", "earlierInstallFolder", "history",
                               "folder", "file", "key", "value", "trusted", "backup", "failure"};

// One line's fields, each unescaped; false when the line is not one this setup writes.
bool Fields(const CodePage& cp, const std::string& utf8, std::vector<std::string>* fields) {
  const std::string text = cp.FromUtf8(utf8);
  // Text that does not come back the same was not written here (or not as UTF-8).
  if (cp.ToUtf8(text) != utf8) return false;
  fields->clear();
  for (size_t start = 0;;) {
    const size_t tab = text.find('\t', start);
    std::string field;
    if (!Unescape(text.substr(start, tab == std::string::npos ? std::string::npos : tab - start), &field)) return false;
    fields->push_back(field);
    if (tab == std::string::npos) return true;
    start = tab + 1;
  }
}

// False for a line this setup does not write; *known tells whether its kind was one it knows.
bool ParseLine(const std::vector<std::string>& f, InstallRecord* r, std::vector<std::string>* seen, bool* known) {
  const std::string& kind = f[0];
  *known = true;
  // version, time, account and installFolder: once each.
  for (auto scalar : {std::make_pair("version", &r->version), std::make_pair("time", &r->time),
                      std::make_pair("account", &r->account), std::make_pair("installFolder", &r->installFolder)}) {
    if (kind != scalar.first) continue;
    if (f.size() != 2 || std::find(seen->begin(), seen->end(), kind) != seen->end()) return false;
    seen->push_back(kind);
    *scalar.second = f[1];
    return true;
  }
  if (kind == "earlierInstallFolder" && f.size() == 2) {
    r->earlierInstallFolders.push_back(f[1]);
  } else if (kind == "history" && f.size() == 2) {
    r->history.push_back(f[1]);
  } else if (kind == "folder" && f.size() == 2) {
    r->createdFolders.push_back(f[1]);
  } else if (kind == "file" && (f.size() == 4 || f.size() == 5)) {
    RecordedFile file{f[1], 0, f[3]};
    if (!Number(f[2], UINT64_MAX, &file.size) || !IsSha256(file.sha256)) return false;
    if (f.size() == 5 && !Number(f[4], UINT64_MAX, &file.lastWrite)) return false;
    r->files.push_back(file);
  } else if (kind == "key" && f.size() == 2) {
    r->createdKeys.push_back(f[1]);
  } else if (kind == "value" && f.size() == 8) {
    RecordedValue value;
    value.key = f[1];
    value.name = f[2];
    value.oldData = f[5];
    value.data = f[7];
    if (!Flag(f[3], &value.existed) || !Type(f[4], &value.oldType) || !Type(f[6], &value.type)) return false;
    r->values.push_back(value);
  } else if (kind == "trusted" && f.size() >= 6) {
    // Then the entries; format 1 wrote one field, empty when nothing was appended.
    RecordedTrustedPath trusted;
    trusted.sid = f[1];
    trusted.variablesKey = f[2];
    trusted.before = f[4];
    trusted.after = f[5];
    for (size_t i = 6; i < f.size(); ++i) {
      if (!f[i].empty()) trusted.entries.push_back(f[i]);
    }
    if (!Flag(f[3], &trusted.valueCreated)) return false;
    r->trustedPaths.push_back(trusted);
  } else if (kind == "backup" && f.size() == 3) {
    r->backups.push_back({f[1], f[2]});
  } else if (kind == "failure" && f.size() == 2) {
    r->failures.push_back(f[1]);
  } else {
    *known = std::find(std::begin(kKinds), std::end(kKinds), kind) != std::end(kKinds);
    return false;
  }
  return true;
}

// The header's format; false when the line is no header of this setup's records.
bool Format(const std::string& line, uint32_t* format) {
  const std::string header = kHeader;
  uint64_t n = 0;
  if (line.compare(0, header.size(), header) != 0 || !Number(line.substr(header.size()), UINT32_MAX, &n) || n == 0) {
    return false;
  }
  *format = static_cast<uint32_t>(n);
  return true;
}

}  // namespace

std::string SerializeInstallRecord(const CodePage& codePage, const InstallRecord& record) {
  Writer w(codePage, record.newerLines.empty() ? kInstallRecordFormat : std::max(kInstallRecordFormat, record.format));
  w.Line({"version", record.version});
  w.Line({"time", record.time});
  w.Line({"account", record.account});
  w.Line({"installFolder", record.installFolder});
  for (const std::string& folder : record.earlierInstallFolders) w.Line({"earlierInstallFolder", folder});
  for (const std::string& line : record.history) w.Line({"history", line});
  for (const std::string& folder : record.createdFolders) w.Line({"folder", folder});
  for (const RecordedFile& file : record.files) {
    w.Line({"file", file.path, std::to_string(file.size), file.sha256, std::to_string(file.lastWrite)});
  }
  for (const std::string& key : record.createdKeys) w.Line({"key", key});
  for (const RecordedValue& v : record.values) {
    w.Line({"value", v.key, v.name, YesNo(v.existed), std::to_string(v.oldType), v.oldData, std::to_string(v.type),
            v.data});
  }
  for (const RecordedTrustedPath& t : record.trustedPaths) {
    std::vector<std::string> fields = {"trusted", t.sid, t.variablesKey, YesNo(t.valueCreated), t.before, t.after};
    fields.insert(fields.end(), t.entries.begin(), t.entries.end());
    w.Line(fields);
  }
  for (const RecordedBackup& b : record.backups) w.Line({"backup", b.original, b.backup});
  for (const std::string& failure : record.failures) w.Line({"failure", failure});
  for (const std::string& line : record.newerLines) w.Raw(line);
  return w.Text();
}

bool ParseInstallRecord(const CodePage& codePage, const std::string& utf8, InstallRecord* record) {
  InstallRecord parsed;
  std::vector<std::string> seen;
  size_t start = 0;
  for (bool first = true; start < utf8.size(); first = false) {
    const size_t end = utf8.find(kLineEnd, start);
    if (end == std::string::npos) return false;  // every line ends with CR LF
    const std::string line = utf8.substr(start, end - start);
    start = end + 2;
    if (line.find_first_of("\r\n") != std::string::npos) return false;
    if (first) {
      if (!Format(line, &parsed.format)) return false;
      continue;
    }
    std::vector<std::string> fields;
    if (!Fields(codePage, line, &fields)) return false;
    bool known = true;
    if (ParseLine(fields, &parsed, &seen, &known)) continue;
    if (known || parsed.format <= kInstallRecordFormat) return false;
    parsed.newerLines.push_back(line);
  }
  if (start == 0) return false;  // not even the header
  *record = parsed;
  return true;
}

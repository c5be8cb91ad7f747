// The list of files the signed distribution holds, compiled into the setup by the packer, so that
// the signature of SetUp.exe covers it. A developer build carries none and installs whatever the
// source folder holds.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

struct ManifestEntry {
  std::string name;    // relative to the source folder, "Quilox扩展绘图库\x.dwg" for the library
  std::string sha256;  // 64 lower-case hex digits
};

class PayloadManifest {
 public:
  // One line per file: "<sha256> <size> <name>", the name in code page 936. A line of any other
  // form lists nothing, so the file it meant is not installed.
  static PayloadManifest Parse(const std::string& text);

  // Names compared without regard to letter case, as Windows compares them.
  const ManifestEntry* Find(const CodePage& cp, const std::string& name) const;
  const std::vector<ManifestEntry>& Entries() const { return entries_; }

 private:
  std::vector<ManifestEntry> entries_;
  // The names in lower case with their entries, sorted: made by the first Find, for its code page.
  mutable std::vector<std::pair<std::string, size_t>> index_;
  mutable const CodePage* indexCodePage_ = nullptr;
};

// The manifest of this build, or null in a build without one.
const PayloadManifest* BuiltInManifest();

enum class Verdict {
  Unchecked,  // no manifest: installed as it is
  Matches,
  Unlisted,   // the distribution does not hold this file
  Mismatch,   // listed, but its bytes are not the signed ones (or cannot be read)
};

// Checks `copy`, a copy of the source file `name` (relative to the source folder).
Verdict VerifyCopy(const Platform& p, const PayloadManifest* manifest, const std::string& name,
                   const std::string& copy);

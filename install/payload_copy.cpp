#include <algorithm>

#include "install/install.h"
#include "install/install_texts.h"
#include "install/path_buffer.h"
#include "platform/folder_security.h"
#include "platform/mb_string.h"

namespace {

// The setup itself and the AutoCAD fonts, which go into AutoCAD's Fonts folders instead.
const char* const kExcludedNames[] = {"SetUp.EXE", "Quilox_EN.shx", "Quilox_HZ.shx"};

enum class Answer { Abort, Retry, Ignore };

bool IsExcluded(const CodePage& cp, const std::string& name) {
  for (const char* excluded : kExcludedNames) {
    if (SameFileName(cp, name, excluded)) return true;
  }
  return false;
}

// A box that cannot be shown answers 0: that stops the run rather than asking forever.
Answer Ask(const Platform& p, WindowRef owner, const char* format, const std::string& path) {
  std::string text = format;
  text.replace(text.find("%s"), 2, path);
  const int id = p.boxes.Show(owner, text, kSetupCaption, kMbAbortRetryIgnore);
  if (id == kIdRetry) return Answer::Retry;
  if (id == kIdIgnore) return Answer::Ignore;
  return Answer::Abort;
}

Answer AskAfterFailedCopy(const Platform& p, WindowRef owner, const std::string& path) {
  return Ask(p, owner, kCopyFailedFormat, path);
}

// The source folder's listing; null also when its search pattern does not fit the buffer.
std::unique_ptr<DirListing> ListSource(FileSystem& files, const std::string& source, FindEntry* first) {
  const std::string pattern = JoinPath(source, "*.*");
  if (!FitsPathBuffer(pattern)) return nullptr;
  return files.FindFirst(pattern, first);
}

// Copies one file, asking the user while it fails. False when the user chose Abort.
// `listed` are the source file's attributes as its listing gave them, kInvalidAttributes when
// unknown: each question about a file costs a search on some file systems (Wine's).
bool CopyPayloadFile(const Platform& p, WindowRef owner, const InstallJob& job, const std::string& copyFolder,
                     const std::string& source, const std::string& name, uint32_t listed) {
  const std::string from = JoinPath(source, name);
  const std::string to = JoinPath(job.folder, name);
  // A path too long for its buffer is never cut short: its copy fails, and the user decides.
  const bool fits = FitsPathBuffer(from) && FitsPathBuffer(to);
  // Its copy carries the attribute unless it could be cleared.
  const bool sourceReadOnly = listed == kInvalidAttributes || (listed & kAttrReadOnly) != 0;
  if (fits && IsTouchableSource(p.files, from, listed)) {
    if (sourceReadOnly) ClearReadOnly(p.files, from);
    RemoveZoneIdentifier(p.files, from);
  }
  // An earlier installation may have left a read-only copy.
  if (fits) ClearReadOnly(p.files, to);
  CopyOutcome outcome;
  for (;;) {
    outcome = fits ? CopyFresh(p, job.manifest, name, from, to, copyFolder) : CopyOutcome::Failed;
    if (outcome == CopyOutcome::Installed) {
      if (job.installed) job.installed->push_back(name);
      break;
    }
    // Not part of the signed distribution: left out without a word.
    if (outcome == CopyOutcome::Unlisted) break;
    const Answer answer = outcome == CopyOutcome::Mismatch ? Ask(p, owner, kNotSignedFormat, from)
                                                           : AskAfterFailedCopy(p, owner, to);
    if (answer == Answer::Abort) return false;
    if (answer == Answer::Ignore) break;
  }
  // Also after Ignore: an older copy may be there.
  if (fits && (outcome != CopyOutcome::Installed || sourceReadOnly)) ClearReadOnly(p.files, to);
  return true;
}

// Files of the signed distribution that the source folder lacks: each is asked about like a
// file that does not match. False when the user chose Abort.
bool CheckNothingMissing(const Platform& p, WindowRef owner, const InstallJob& job, const std::string& copyFolder,
                         const std::string& source, const std::vector<std::string>& seen) {
  if (job.manifest == nullptr) return true;
  // Sorted, in lower case: thousands of files must not make thousands of passes over each other.
  std::vector<std::string> seenLower;
  seenLower.reserve(seen.size());
  for (const std::string& name : seen) seenLower.push_back(p.codePage.Lower(name));
  std::sort(seenLower.begin(), seenLower.end());
  for (const ManifestEntry& entry : job.manifest->Entries()) {
    // Sub-folders belong to the drawing library, the excluded names to the support files.
    if (FindLastBackslash(p.codePage, entry.name) != std::string::npos || IsExcluded(p.codePage, entry.name)) continue;
    if (std::binary_search(seenLower.begin(), seenLower.end(), p.codePage.Lower(entry.name))) continue;
    const std::string from = JoinPath(source, entry.name);
    for (;;) {
      if (p.files.Exists(from)) {
        if (!CopyPayloadFile(p, owner, job, copyFolder, source, entry.name, kInvalidAttributes)) return false;
        break;
      }
      const Answer answer = Ask(p, owner, kNotSignedFormat, from);
      if (answer == Answer::Abort) return false;
      if (answer == Answer::Ignore) break;
    }
  }
  return true;
}

enum class Pass { Finished, Aborted, BrokenOff };

// Copies the files of one listing of the source folder, `entry` being its first entry.
// One pass per entry, and one more that finds the end of the listing. Every entry is examined,
// however many there are.
Pass CopyListedFiles(const Platform& p, WindowRef owner, const InstallJob& job, const std::string& copyFolder,
                     const std::string& source, DirListing& listing, FindEntry entry, std::vector<std::string>* seen) {
  for (bool firstPass = true;; firstPass = false) {
    if (job.progress) job.progress->Step();
    if (!firstPass && !listing.Next(&entry)) {
      return listing.Error() == kErrNoMoreFiles ? Pass::Finished : Pass::BrokenOff;
    }
    if (IsFolderEntry(entry) || IsExcluded(p.codePage, entry.name)) continue;
    seen->push_back(entry.name);
    if (!CopyPayloadFile(p, owner, job, copyFolder, source, entry.name, entry.attributes)) return Pass::Aborted;
  }
}

}  // namespace

void ClearReadOnly(FileSystem& files, const std::string& path) {
  const uint32_t attributes = files.Attributes(path);
  if (attributes == kInvalidAttributes || (attributes & kAttrReadOnly) == 0) return;
  files.SetAttributes(path, attributes & ~kAttrReadOnly);
}

bool IsTouchableSource(FileSystem& files, const std::string& path, uint32_t listed) {
  // A link is a reparse point: a listing that says the file is none has checked it already.
  if (listed != kInvalidAttributes && (listed & kAttrReparsePoint) == 0) return true;
  return !files.IsRedirection(path);
}

void RemoveZoneIdentifier(FileSystem& files, const std::string& path) {
  // Missing on most files: the failure is no error.
  files.Remove(path + ":Zone.Identifier");
}

bool CopyPayload(const Platform& p, WindowRef owner, const InstallJob& job) {
  std::string source;
  if (!FindInstallSource(p, owner, &source)) return false;

  // An install folder too long for its buffer fails every copy alike: ask once, naming it.
  while (!FitsPathBuffer(job.folder)) {
    const Answer answer = AskAfterFailedCopy(p, owner, job.folder);
    if (answer == Answer::Abort) return false;
    if (answer == Answer::Ignore) return true;
  }

  // The install command has normally created it already.
  p.files.MakeSecuredDirectory(job.folder, kProtectedFolderSddl);
  const CopyFolder copyFolder(p.files, job.folder);
  if (!copyFolder.Raced().empty()) {
    RefuseFolder(p, owner, copyFolder.Raced(), kUntrustedFolderTail);
    return false;
  }

  for (;;) {
    // The source check has just found the folder, so a listing that does not open means that none
    // of its files can be read: ask once rather than report an empty payload as installed.
    FindEntry entry;
    std::unique_ptr<DirListing> listing = ListSource(p.files, source, &entry);
    while (!listing) {
      const Answer answer = AskAfterFailedCopy(p, owner, source);
      if (answer == Answer::Abort) return false;
      if (answer == Answer::Ignore) return true;
      listing = ListSource(p.files, source, &entry);
    }

    std::vector<std::string> seen;
    const Pass pass = CopyListedFiles(p, owner, job, copyFolder.Path(), source, *listing, entry, &seen);
    if (pass == Pass::Finished) return CheckNothingMissing(p, owner, job, copyFolder.Path(), source, seen);
    if (pass == Pass::Aborted) return false;

    // A listing that broke off (a network share gone, say) leaves the rest of the payload unread:
    // the same question, naming the folder. Retry lists it again from the start; what was copied
    // already is simply copied again.
    listing.reset();
    const Answer answer = AskAfterFailedCopy(p, owner, source);
    if (answer == Answer::Abort) return false;
    if (answer == Answer::Ignore) return true;
  }
}

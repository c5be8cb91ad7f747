// Folder validation over arbitrary text and file systems: the form check never touches the file
// system, creation keeps to the folders of the path, and the user sees one message that matches
// the result.
//
// Input: the first line is the path (a NUL ends it, as it would end a C string). Further lines
// set up the file system and the user:
//   d<path>  a folder (with its parents)      f<path>  a file
//   x<path>  creating exactly this folder fails      v<letter>  one more drive
//   m<path>  the executable's path (the caption of the messages)
//   y / n    the user's next answer: Yes / No (with none left the user says Yes)
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "picker/folder_validation.h"
#include "tests/memory/memory_platform.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

void SetUp(MemoryPlatform& m, const std::vector<std::string>& lines) {
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.empty()) continue;
    std::string arg = line.substr(1);
    try {
      switch (line[0]) {
        case 'd': m.files.AddFolder(arg); break;
        case 'f': m.files.AddFile(arg, "x"); break;
        case 'x': m.files.DenyCreate(arg); break;
        case 'v': m.files.AddDrive(arg.empty() ? 'D' : arg[0]); break;
        case 'm': m.files.SetModulePath(arg); break;
        case 'y': m.boxes.Answer(kIdYes); break;
        case 'n': m.boxes.Answer(kIdNo); break;
        default: break;
      }
    } catch (const std::invalid_argument&) {
      // A set-up line that names no possible file system object: left out.
    }
  }
}

// Every drive's whole tree, to see what a call changed.
std::string Everything(const MemoryFileSystem& files) {
  std::string all;
  for (char drive = 'A'; drive <= 'Z'; ++drive) all += std::string(1, drive) + ":\n" + files.Dump(std::string(1, drive) + ":\\");
  return all;
}

size_t Lines(const std::string& text) {
  size_t n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

size_t Components(const std::string& path) {
  size_t n = 1;
  for (size_t i = 3; i < path.size(); ++i) n += path[i] == '\\';
  return n;
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// What a valid path says about the paths next to it.
void CheckNeighbours(MemoryFileSystem& files, const std::string& path) {
  std::string child = path.size() == 3 ? path + "a" : path + "\\a";
  Require(CheckOrCreatePath(files, child.c_str(), true) == 0, "a valid path with a plain folder below it is valid");
  Require(CheckOrCreatePath(files, (path + "\\").c_str(), true) == 1, "a valid path with a backslash added is not");
  for (size_t i = 3; i < path.size(); ++i) {
    if (path[i] != '\\') continue;
    Require(CheckOrCreatePath(files, path.substr(0, i).c_str(), true) == 0, "the parents of a valid path are valid");
  }
}

void CheckForm(MemoryPlatform& m, const std::string& path, int* checked) {
  size_t calls = m.files.Calls();
  *checked = CheckOrCreatePath(m.files, path.c_str(), true);
  Require(*checked == 0 || *checked == 1, "the form check gives 0 or 1");
  if (*checked == 0) {
    Require(path.size() >= 3 && path[1] == ':' && path[2] == '\\' &&
                path.find_first_of("\"*/:;<>?|", 2) == std::string::npos,
            "a valid path is a drive letter, a colon and a backslash, and then no forbidden byte");
    CheckNeighbours(m.files, path);
  }
  Require(m.files.Calls() == calls, "the form check never touches the file system");
}

void CheckCreation(MemoryPlatform& m, const std::string& path, int checked) {
  std::string before = Everything(m.files);
  int created = CheckOrCreatePath(m.files, path.c_str(), false);
  std::string after = Everything(m.files);
  Require(created >= 0 && created <= 2, "creation gives 0, 1 or 2");
  // Creating mode checks each level just before making it, so an invalid level deep inside may
  // come after a level that could not be made (2); it is never taken for valid.
  Require(created != 1 || checked == 1, "creation refuses only paths the form check refuses");
  Require(checked != 1 || created != 0, "creation never accepts a path the form check refuses");
  if (created == 0) Require(m.files.Exists(path), "a path created with result 0 exists");
  Require(Lines(after) <= Lines(before) + (path.size() > 3 ? Components(path) : 0),
          "at most one folder is made per level of the path");
  Require(m.files.OpenListings() == 0, "no listing is left open");
}

void CheckConfirmation(MemoryPlatform& m, const std::string& path, int checked) {
  constexpr WindowRef kOwner = 0x4242;
  std::string before = Everything(m.files);
  bool existed = m.files.Exists(path);
  int result = ConfirmInstallPath(m.platform(), kOwner, path.c_str());
  const std::vector<ShownBox>& shown = m.boxes.Shown();
  Require(result == 0 || result == -1 || result == 1 || result == 2, "confirmation gives 0, -1, 1 or 2");
  for (const ShownBox& box : shown) {
    Require(box.owner == kOwner, "every message is owned by the browse window");
    Require(box.text.compare(0, 13, "The folder:\n\n") == 0 && box.text.compare(13, path.size(), path) == 0,
            "every message names the path as typed");
  }
  bool asked = !shown.empty() && shown[0].style == (kMbYesNo | kMbIconQuestion);
  switch (result) {
    case 1:
      Require(checked == 1 && shown.size() == 1 && EndsWith(shown[0].text, "is invalid. Please reenter.") &&
                  shown[0].style == (kMbOk | kMbIconExclamation),
              "an invalid path gets its one message");
      Require(Everything(m.files) == before, "nothing is created for an invalid path");
      break;
    case -1:
      Require(checked == 0 && !existed && asked && shown.size() == 1, "declining follows the one question");
      Require(Everything(m.files) == before, "nothing is created when the user declines");
      break;
    case 0:
      Require(checked == 0 && m.files.Exists(path), "an accepted path exists");
      Require(shown.size() == (existed ? 0u : 1u) && (existed || asked), "a missing folder is asked about once");
      break;
    case 2:
      Require(checked == 0 && !existed && asked && shown.size() == 2 &&
                  EndsWith(shown[1].text, "can not be created. Please double check.") &&
                  shown[1].style == (kMbOk | kMbIconExclamation),
              "a folder that cannot be made gets the question and then its message");
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> lines = SplitLines(data, size);
  if (lines.empty()) lines.emplace_back();
  const std::string path = lines[0].c_str();

  for (const std::string& line : lines) {
    const std::string name = line.c_str();
    if (IsValidPathComponent(name.c_str())) {
      Require(name.find_first_of("\"*/:<>?\\|") == std::string::npos, "a valid folder name has no forbidden byte");
    }
  }
  MemoryFileSystem untouched;
  Require(!IsValidPathComponent(nullptr) && CheckOrCreatePath(untouched, nullptr, true) == 1 &&
              CheckOrCreatePath(untouched, nullptr, false) == 1 && untouched.Calls() == 0,
          "no text is invalid");

  int checked = 1;
  MemoryPlatform forCreation;
  SetUp(forCreation, lines);
  CheckForm(forCreation, path, &checked);
  CheckCreation(forCreation, path, checked);

  MemoryPlatform forConfirmation;
  SetUp(forConfirmation, lines);
  CheckConfirmation(forConfirmation, path, checked);
  return 0;
}

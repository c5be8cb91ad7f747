// What the installation logic relies on from a file system, checked against the in-memory one
// and, in the Windows build, against the real one in a fresh temporary folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/memory/memory_file_system.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/win32_file_system.h"
#endif

namespace {

// A file system to test, with a way to put files into it and read them back that does not go
// through the interface under test.
class Place {
 public:
  virtual ~Place() = default;
  virtual FileSystem& Files() = 0;
  virtual std::string Root() const = 0;  // an empty folder, no trailing backslash
  virtual void WriteFile(const std::string& path, const std::string& content) = 0;
  virtual std::string ReadFile(const std::string& path) = 0;
  virtual void WriteStream(const std::string& file, const std::string& stream, const std::string& content) = 0;
  virtual char MissingDrive() const = 0;
  virtual std::string ModuleName() const = 0;
  virtual bool OnWine() const { return false; }
};

class MemoryPlace : public Place {
 public:
  MemoryPlace() { files_.AddFolder(Root()); }
  FileSystem& Files() override { return files_; }
  std::string Root() const override { return "C:\\Work"; }
  void WriteFile(const std::string& path, const std::string& content) override { files_.AddFile(path, content); }
  std::string ReadFile(const std::string& path) override { return files_.Content(path); }
  void WriteStream(const std::string& file, const std::string& stream, const std::string& content) override {
    files_.AddStream(file, stream, content);
  }
  char MissingDrive() const override { return 'Q'; }
  std::string ModuleName() const override { return "SetUp.exe"; }

 private:
  MemoryFileSystem files_;
};

#ifdef _WIN32
bool RunningOnWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = folder + "\\" + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(folder.c_str());
}

class Win32Place : public Place {
 public:
  Win32Place() {
    char temp[MAX_PATH + 1];
    DWORD length = GetTempPathA(sizeof temp, temp);
    std::string base(temp, length);
    if (!base.empty() && base.back() == '\\') base.pop_back();
    static int serial = 0;
    root_ = base + "\\tessa-fs-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    if (!CreateDirectoryA(root_.c_str(), nullptr)) throw std::runtime_error("cannot create " + root_);
  }
  ~Win32Place() override { RemoveTree(root_); }

  FileSystem& Files() override { return files_; }
  std::string Root() const override { return root_; }
  void WriteFile(const std::string& path, const std::string& content) override {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + path);
    DWORD written = 0;
    ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
  }
  std::string ReadFile(const std::string& path) override {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "";
    std::string content;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) content.append(buffer, got);
    CloseHandle(file);
    return content;
  }
  void WriteStream(const std::string& file, const std::string& stream, const std::string& content) override {
    WriteFile(file + ":" + stream, content);
  }
  char MissingDrive() const override {
    DWORD drives = GetLogicalDrives();
    for (char letter = 'Z'; letter > 'C'; --letter) {
      if (!(drives & (1u << (letter - 'A')))) return letter;
    }
    throw std::runtime_error("every drive letter is in use");
  }
  std::string ModuleName() const override { return "platform_file_system_contract_test.exe"; }
  bool OnWine() const override { return RunningOnWine(); }

 private:
  Win32FileSystem files_;
  std::string root_;
};
#endif

struct PlaceMaker {
  const char* name;
  std::function<std::unique_ptr<Place>()> make;
};

void PrintTo(const PlaceMaker& maker, std::ostream* out) { *out << maker.name; }

class FileSystemContract : public ::testing::TestWithParam<PlaceMaker> {
 protected:
  void SetUp() override { place_ = GetParam().make(); }

  FileSystem& fs() { return place_->Files(); }
  std::string At(const std::string& relative) const { return place_->Root() + "\\" + relative; }
  void Write(const std::string& relative, const std::string& content = "x") { place_->WriteFile(At(relative), content); }
  std::string Read(const std::string& relative) { return place_->ReadFile(At(relative)); }
  void Folder(const std::string& relative) { ASSERT_EQ(kOk, fs().MakeDirectory(At(relative))); }

  // Every entry of a listing, in the order it came.
  std::vector<FindEntry> List(const std::string& pattern) {
    std::vector<FindEntry> entries;
    FindEntry entry;
    std::unique_ptr<DirListing> listing = fs().FindFirst(pattern, &entry);
    if (!listing) return entries;
    do {
      entries.push_back(entry);
    } while (listing->Next(&entry));
    return entries;
  }
  static std::vector<std::string> NamesOf(const std::vector<FindEntry>& entries) {
    std::vector<std::string> names;
    for (const FindEntry& e : entries) names.push_back(e.name);
    return names;
  }

  std::unique_ptr<Place> place_;
};

TEST_P(FileSystemContract, ListingStartsWithDotEntriesAndHoldsEveryEntry) {
  Write("b.txt");
  Write("ab");
  Write("a_b");
  Write("C");
  Folder("Sub");

  std::vector<FindEntry> all = List(At("*.*"));
  ASSERT_GE(all.size(), 2u);
  EXPECT_EQ(".", all[0].name);
  EXPECT_EQ("..", all[1].name);
  EXPECT_TRUE(all[0].attributes & kAttrDirectory);
  EXPECT_TRUE(all[1].attributes & kAttrDirectory);

  std::vector<std::string> names = NamesOf(all);
  std::vector<std::string> sorted(names.begin() + 2, names.end());
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ((std::vector<std::string>{"C", "Sub", "a_b", "ab", "b.txt"}), sorted);
  EXPECT_EQ(names, NamesOf(List(At("*")))) << "\"*\" lists what \"*.*\" lists";

  for (const FindEntry& e : all) {
    bool folder = e.name == "." || e.name == ".." || e.name == "Sub";
    EXPECT_EQ(folder, (e.attributes & kAttrDirectory) != 0) << e.name;
  }
}

TEST_P(FileSystemContract, ListingEndsWithNoMoreFiles) {
  Write("a.txt");
  FindEntry entry;
  std::unique_ptr<DirListing> all = fs().FindFirst(At("*.*"), &entry);
  ASSERT_NE(nullptr, all);
  EXPECT_EQ(kOk, all->Error()) << "nothing failed yet";
  size_t count = 1;
  while (all->Next(&entry)) ++count;
  EXPECT_EQ(3u, count);
  EXPECT_EQ(kErrNoMoreFiles, all->Error());

  std::unique_ptr<DirListing> one = fs().FindFirst(At("a.txt"), &entry);
  ASSERT_NE(nullptr, one);
  EXPECT_FALSE(one->Next(&entry));
  EXPECT_EQ(kErrNoMoreFiles, one->Error()) << "an exact path";
}

TEST_P(FileSystemContract, ListingIsSortedWithoutRegardToCase) {
  // Names upper-cased compare as NTFS sorts them: "AB" < "A_B" because 'B' < '_', and '[' and
  // '~' come after every letter; a lower-cased or case-sensitive comparison orders them otherwise.
  const std::vector<std::string> sorted{" sp", "!bang", "10", "9", "ab", "a_b", "b.txt", "B1",
                                        "b_", "C", "Sub", "x.y", "Zeta", "[br]", "~tilde"};
  for (size_t i = sorted.size(); i-- > 0;) {
    if (sorted[i] == "Sub") {
      Folder(sorted[i]);
    } else {
      Write(sorted[i]);
    }
  }
  std::vector<std::string> expected{".", ".."};
  expected.insert(expected.end(), sorted.begin(), sorted.end());
  EXPECT_EQ(expected, NamesOf(List(At("*.*"))));
}

TEST_P(FileSystemContract, PatternsSelectEntriesAndMissOtherwise) {
  Write("one.arx");
  Write("two.txt");
  EXPECT_EQ((std::vector<std::string>{"one.arx"}), NamesOf(List(At("*.ARX"))));
  FindEntry entry;
  EXPECT_EQ(nullptr, fs().FindFirst(At("*.zzz"), &entry)) << "no match";
  EXPECT_EQ(nullptr, fs().FindFirst(At("Missing\\*.*"), &entry)) << "missing folder";
}

TEST_P(FileSystemContract, ExactPathTellsFileFromFolder) {
  Write("Quilox2010.arx");
  Folder("Data");
  FindEntry entry;

  std::unique_ptr<DirListing> file = fs().FindFirst(At("QUILOX2010.ARX"), &entry);
  ASSERT_NE(nullptr, file);
  EXPECT_EQ("Quilox2010.arx", entry.name) << "the name as stored, whatever the spelling asked";
  EXPECT_FALSE(entry.attributes & kAttrDirectory);
  EXPECT_FALSE(file->Next(&entry)) << "an exact path yields one entry";

  std::unique_ptr<DirListing> folder = fs().FindFirst(At("data"), &entry);
  ASSERT_NE(nullptr, folder);
  EXPECT_EQ("Data", entry.name);
  EXPECT_TRUE(entry.attributes & kAttrDirectory);

  EXPECT_EQ(nullptr, fs().FindFirst(At("Nothing"), &entry));
  EXPECT_EQ(nullptr, fs().FindFirst(At("Nothing\\Data"), &entry));
  EXPECT_EQ(nullptr, fs().FindFirst(At("Data\\"), &entry)) << "a search never ends with a backslash";
}

TEST_P(FileSystemContract, AttributesOfFilesAndFolders) {
  Write("a.txt");
  Folder("Sub");
  uint32_t file = fs().Attributes(At("a.txt"));
  ASSERT_NE(kInvalidAttributes, file);
  EXPECT_FALSE(file & kAttrDirectory);
  EXPECT_TRUE(fs().Attributes(At("Sub")) & kAttrDirectory);
  EXPECT_TRUE(fs().Attributes(At("Sub\\")) & kAttrDirectory) << "one trailing backslash on a folder";
  EXPECT_TRUE(fs().Attributes(place_->Root().substr(0, 3)) & kAttrDirectory) << "the drive root";

  EXPECT_EQ(kOk, fs().SetAttributes(At("a.txt"), kAttrReadOnly | kAttrHidden));
  EXPECT_EQ(kAttrReadOnly | kAttrHidden, fs().Attributes(At("A.TXT")) & (kAttrReadOnly | kAttrHidden));
  EXPECT_EQ(kOk, fs().SetAttributes(At("a.txt"), kAttrNormal));
  EXPECT_EQ(0u, fs().Attributes(At("a.txt")) & (kAttrReadOnly | kAttrHidden | kAttrDirectory));

  EXPECT_EQ(kInvalidAttributes, fs().Attributes(At("missing.txt")));
  EXPECT_EQ(kInvalidAttributes, fs().Attributes(At("Missing\\a.txt")));
  EXPECT_FALSE(fs().Exists(At("missing.txt")));
  EXPECT_TRUE(fs().Exists(At("a.txt")));
  EXPECT_EQ(kErrFileNotFound, fs().SetAttributes(At("missing.txt"), kAttrNormal));
}

TEST_P(FileSystemContract, AttributesAreExactlyWhatWasSet) {
  // Wine derives attributes from the Unix file and always reports the archive bit on a file.
  if (place_->OnWine()) GTEST_SKIP() << "Wine always adds the archive bit";
  Write("a.txt");
  ASSERT_EQ(kOk, fs().SetAttributes(At("a.txt"), kAttrReadOnly | kAttrHidden));
  EXPECT_EQ(kAttrReadOnly | kAttrHidden, fs().Attributes(At("a.txt")));
  ASSERT_EQ(kOk, fs().SetAttributes(At("a.txt"), kAttrNormal));
  EXPECT_EQ(kAttrNormal, fs().Attributes(At("a.txt")));
}

TEST_P(FileSystemContract, CopyOverwritesUnlessAskedNotTo) {
  Write("from.txt", "new");
  Write("to.txt", "old");
  EXPECT_EQ(kErrFileExists, fs().Copy(At("from.txt"), At("to.txt"), true));
  EXPECT_EQ("old", Read("to.txt"));
  EXPECT_EQ(kOk, fs().Copy(At("from.txt"), At("to.txt"), false));
  EXPECT_EQ("new", Read("to.txt"));
  EXPECT_EQ(kOk, fs().Copy(At("from.txt"), At("fresh.txt"), true));
  EXPECT_EQ("new", Read("fresh.txt"));
  EXPECT_EQ("new", Read("from.txt")) << "the source stays";
}

TEST_P(FileSystemContract, CopyFailsWithoutSourceOrDestinationFolder) {
  Write("from.txt");
  EXPECT_EQ(kErrPathNotFound, fs().Copy(At("from.txt"), At("NoFolder\\to.txt"), false));
  EXPECT_FALSE(fs().Exists(At("NoFolder")));
  EXPECT_EQ(kErrFileNotFound, fs().Copy(At("missing.txt"), At("to.txt"), false));
  EXPECT_FALSE(fs().Exists(At("to.txt")));
}

TEST_P(FileSystemContract, CopyOntoReadOnlyFileIsDenied) {
  // Wine running as root writes through the read-only attribute.
  if (place_->OnWine()) GTEST_SKIP() << "Wine as root ignores read-only files";
  Write("from.txt", "new");
  Write("to.txt", "old");
  ASSERT_EQ(kOk, fs().SetAttributes(At("to.txt"), kAttrReadOnly));
  EXPECT_EQ(kErrAccessDenied, fs().Copy(At("from.txt"), At("to.txt"), false));
  EXPECT_EQ("old", Read("to.txt"));
}

TEST_P(FileSystemContract, CopyCarriesAttributesAndLastWriteTime) {
  Write("from.txt", "content");
  ASSERT_EQ(kOk, fs().SetAttributes(At("from.txt"), kAttrReadOnly | kAttrHidden | kAttrArchive));
  ASSERT_EQ(kOk, fs().Copy(At("from.txt"), At("to.txt"), false));
  EXPECT_EQ(kAttrReadOnly | kAttrHidden | kAttrArchive, fs().Attributes(At("to.txt")));
  EXPECT_EQ("content", Read("to.txt"));
  FileStamp from, to;
  ASSERT_EQ(kOk, fs().Stamp(At("from.txt"), &from));
  ASSERT_EQ(kOk, fs().Stamp(At("to.txt"), &to));
  EXPECT_NE(0u, from.lastWrite);
  EXPECT_EQ(from.lastWrite, to.lastWrite);
  EXPECT_EQ(7u, to.size);
}

TEST_P(FileSystemContract, CopyIntoExistingFileKeepsItsSpelling) {
  Write("from.txt", "new");
  Write("Target.TXT", "old");
  ASSERT_EQ(kOk, fs().Copy(At("from.txt"), At("target.txt"), false));
  std::vector<std::string> names = NamesOf(List(At("t*")));
  EXPECT_EQ((std::vector<std::string>{"Target.TXT"}), names);
  EXPECT_EQ("new", Read("Target.TXT"));
}

TEST_P(FileSystemContract, ReplaceRenamesOverAnExistingFile) {
  Write("fresh.tmp", "new");
  Write("Target.TXT", "old");
  ASSERT_EQ(kOk, fs().Replace(At("fresh.tmp"), At("target.txt")));
  EXPECT_FALSE(fs().Exists(At("fresh.tmp")));
  EXPECT_EQ("new", Read("target.txt"));
  EXPECT_EQ(kErrFileNotFound, fs().Replace(At("fresh.tmp"), At("target.txt")));
  EXPECT_EQ("new", Read("target.txt"));
  Write("other.tmp", "other");
  ASSERT_EQ(kOk, fs().Replace(At("other.tmp"), At("absent.txt")));
  EXPECT_EQ("other", Read("absent.txt"));
}

TEST_P(FileSystemContract, Sha256OfKnownContents) {
  struct Case {
    const char* content;
    const char* digest;
  } cases[] = {
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    Write("hashed.bin", c.content);
    EXPECT_EQ(c.digest, fs().Sha256(At("hashed.bin")));
  }
  // Longer than one read of the file.
  Write("large.bin", std::string(100000, 'a'));
  EXPECT_EQ("6d1cf22d7cc09b085dfc25ee1a1f3ae0265804c607bc2074ad253bcc82fd81ee", fs().Sha256(At("large.bin")));
  EXPECT_EQ("", fs().Sha256(At("missing.bin")));
}

TEST_P(FileSystemContract, WholeFilesAreWrittenOnlyWhereNothingIsAndReadBack) {
  const std::string bytes = std::string("line\r\n\0\xFF", 8) + std::string(70000, 'z');
  ASSERT_EQ(kOk, fs().WriteNewFile(At("new.bin"), bytes));
  std::string read;
  EXPECT_EQ(kOk, fs().ReadFile(At("NEW.BIN"), &read));
  EXPECT_EQ(bytes, read);
  FileStamp stamp;
  EXPECT_EQ(kOk, fs().Stamp(At("new.bin"), &stamp));
  EXPECT_EQ(70008u, stamp.size);

  EXPECT_EQ(kErrFileExists, fs().WriteNewFile(At("new.bin"), "other")) << "an existing file";
  EXPECT_EQ(bytes, Read("new.bin"));
  Folder("Sub");
  EXPECT_NE(kOk, fs().WriteNewFile(At("Sub"), "other")) << "a folder";
  EXPECT_EQ(kErrPathNotFound, fs().WriteNewFile(At("Missing\\a.txt"), "x"));
  EXPECT_EQ(kOk, fs().WriteNewFile(At("empty.txt"), ""));
  EXPECT_EQ(kOk, fs().Stamp(At("empty.txt"), &stamp));
  EXPECT_EQ(0u, stamp.size);

  EXPECT_EQ(kErrFileNotFound, fs().ReadFile(At("missing.txt"), &read));
  EXPECT_EQ("", read);
  EXPECT_EQ(kErrFileNotFound, fs().Stamp(At("missing.txt"), &stamp));
  EXPECT_NE(kOk, fs().ReadFile(At("Sub"), &read)) << "a folder";
  EXPECT_NE(kOk, fs().Stamp(At("Sub"), &stamp)) << "a folder";
}

TEST_P(FileSystemContract, MakeDirectoryCreatesOneLevel) {
  EXPECT_EQ(kOk, fs().MakeDirectory(At("New")));
  EXPECT_TRUE(fs().Attributes(At("new")) & kAttrDirectory);
  EXPECT_EQ(kErrAlreadyExists, fs().MakeDirectory(At("NEW")));
  Write("file");
  EXPECT_EQ(kErrAlreadyExists, fs().MakeDirectory(At("file"))) << "a file of that name";
  EXPECT_EQ(kErrPathNotFound, fs().MakeDirectory(At("Missing\\Deeper")));
  EXPECT_FALSE(fs().Exists(At("Missing")));
  EXPECT_EQ(kOk, fs().MakeDirectory(At("Trailing\\")));
  EXPECT_TRUE(fs().Attributes(At("Trailing")) & kAttrDirectory);
}

TEST_P(FileSystemContract, PlainFoldersAndFilesLeadNowhereAndWhatTheSetupMakesIsTheAdministrations) {
  Folder("Plain");
  Write("Plain\\file.txt");
  for (const char* name : {"Plain", "Plain\\file.txt", "Missing"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(fs().IsRedirection(At(name)));
  }
  EXPECT_EQ(Ownership::Administration, fs().Owner(At("Plain")));
  EXPECT_EQ(Ownership::Administration, fs().Owner(At("Plain\\file.txt")));
  EXPECT_EQ(Ownership::Other, fs().Owner(At("Missing"))) << "no owner to trust";
}

// The descriptor's meaning is the setup's; here only that it is taken and the folder held.
TEST_P(FileSystemContract, SecuredFoldersAreMadeOneLevelAndExistingOnesAreSecuredAndHeld) {
  const std::string sddl = "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
  EXPECT_EQ(kOk, fs().MakeSecuredDirectory(At("Made"), sddl));
  EXPECT_TRUE(fs().Attributes(At("Made")) & kAttrDirectory);
  EXPECT_EQ(kErrAlreadyExists, fs().MakeSecuredDirectory(At("made"), sddl));
  EXPECT_EQ(kErrPathNotFound, fs().MakeSecuredDirectory(At("Missing\\Deeper"), sddl));

  long error = -1;
  std::unique_ptr<FolderHold> hold = fs().Secure(At("Made"), sddl, &error);
  EXPECT_NE(nullptr, hold);
  EXPECT_EQ(kOk, error);
  EXPECT_EQ(Ownership::Administration, fs().Owner(At("Made")));
  hold.reset();
  EXPECT_EQ(nullptr, fs().Secure(At("Missing"), sddl, &error));
  EXPECT_EQ(kErrFileNotFound, error);
}

// A held folder cannot be removed, and tells from its handle what the setup needs to trust it;
// what is taken over becomes the administration's. (What entries grant others, and a volume
// without permissions, are the in-memory file system's to show: Wine makes its entries up.)
TEST_P(FileSystemContract, HeldFoldersTellTheirTrustAndCannotBeRemovedAndTakenOverItemsAreOurs) {
  const std::string sddl = "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
  Folder("Held");
  Write("Held\\a.txt");
  FolderTrust trust;
  long error = -1;
  std::unique_ptr<FolderHold> hold = fs().HoldLevel(At("Held"), &trust, &error);
  ASSERT_NE(nullptr, hold);
  EXPECT_EQ(kOk, error);
  EXPECT_EQ(Ownership::Administration, trust.owner);
  EXPECT_FALSE(trust.othersMayChange);
  EXPECT_TRUE(trust.persistentAcls);
  EXPECT_NE(nullptr, fs().HoldLevel(place_->Root().substr(0, 3), &trust, &error)) << "a drive's root";
  Folder("Empty");
  std::unique_ptr<FolderHold> empty = fs().HoldLevel(At("Empty"), &trust, &error);
  ASSERT_NE(nullptr, empty);
  // Wine removes a folder whatever handles are open on it.
  if (!place_->OnWine()) {
    EXPECT_NE(kOk, fs().RemoveDirectory(At("Empty"))) << "held";
    EXPECT_TRUE(fs().Exists(At("Empty")));
  }
  empty.reset();
  EXPECT_EQ(kOk, fs().RemoveDirectory(At("Empty"))) << "let go";

  EXPECT_EQ(nullptr, fs().HoldLevel(At("Held\\a.txt"), &trust, &error));
  EXPECT_EQ(kErrDirectory, error) << "a file";
  EXPECT_EQ(nullptr, fs().HoldLevel(At("Missing"), &trust, &error));
  EXPECT_TRUE(IsNothingToHold(error)) << error;

  Ownership previous = Ownership::Other;
  EXPECT_NE(nullptr, fs().TakeOver(At("Held\\a.txt"), sddl, &previous, &error));
  EXPECT_EQ(kOk, error);
  EXPECT_EQ(Ownership::Administration, previous);
  EXPECT_EQ(Ownership::Administration, fs().Owner(At("Held\\a.txt")));
  EXPECT_EQ(nullptr, fs().TakeOver(At("Missing"), sddl, &previous, &error));
  EXPECT_TRUE(IsNotFound(error)) << error;
}

TEST_P(FileSystemContract, DoubledBackslashesAreOneSeparator) {
  Folder("Sub");
  Write("Sub\\a.txt", "abc");
  std::string doubled = place_->Root() + "\\\\Sub\\\\";
  EXPECT_NE(kInvalidAttributes, fs().Attributes(doubled + "a.txt"));
  EXPECT_EQ(kOk, fs().Copy(doubled + "a.txt", doubled + "b.txt", false));
  EXPECT_EQ("abc", Read("Sub\\b.txt"));
  EXPECT_EQ(kOk, fs().MakeDirectory(doubled + "Inner"));
  EXPECT_TRUE(fs().Attributes(At("Sub\\Inner")) & kAttrDirectory);
}

TEST_P(FileSystemContract, DoubleByteNamesKeepTheirTrailBytes) {
  // "運" ends in 0x5C: that byte is part of the character, not a separator.
  Folder("運");
  Write("運\\誠.txt", "payload");
  EXPECT_EQ((std::vector<std::string>{".", "..", "誠.txt"}), NamesOf(List(At("運\\*.*"))));
  EXPECT_EQ(kOk, fs().Copy(At("運\\誠.txt"), At("運\\copy"), false));
  EXPECT_EQ("payload", Read("運\\copy"));
}

TEST_P(FileSystemContract, MissingDriveHoldsNothing) {
  std::string drive = std::string(1, place_->MissingDrive()) + ":\\";
  // Wine reports a path on a drive it does not have as a missing file, Windows as a missing path.
  long missing = place_->OnWine() ? kErrFileNotFound : kErrPathNotFound;
  FindEntry entry;
  EXPECT_EQ(kInvalidAttributes, fs().Attributes(drive));
  EXPECT_EQ(kInvalidAttributes, fs().Attributes(drive + "Quilox"));
  EXPECT_EQ(nullptr, fs().FindFirst(drive + "*.*", &entry));
  EXPECT_EQ(missing, fs().MakeDirectory(drive + "Quilox"));
  Write("from.txt");
  EXPECT_EQ(missing, fs().Copy(At("from.txt"), drive + "to.txt", false));
}

TEST_P(FileSystemContract, DriveRootListsNoDotEntries) {
  std::string root = place_->Root().substr(0, 3);
  std::vector<std::string> names = NamesOf(List(root + "*"));
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names.end(), std::find(names.begin(), names.end(), "."));
  EXPECT_EQ(names.end(), std::find(names.begin(), names.end(), ".."));
  FindEntry entry;
  EXPECT_EQ(nullptr, fs().FindFirst(root, &entry)) << "a root is no entry of a listing";
}

TEST_P(FileSystemContract, RemoveDeletesFilesOnly) {
  Write("a.txt");
  Folder("Sub");
  EXPECT_EQ(kOk, fs().Remove(At("A.txt")));
  EXPECT_FALSE(fs().Exists(At("a.txt")));
  EXPECT_EQ(kErrFileNotFound, fs().Remove(At("a.txt")));
  EXPECT_EQ(kErrPathNotFound, fs().Remove(At("Missing\\a.txt")));
  EXPECT_EQ(kErrAccessDenied, fs().Remove(At("Sub")));
  EXPECT_TRUE(fs().Exists(At("Sub")));
}

TEST_P(FileSystemContract, RemoveOfReadOnlyFileIsDenied) {
  Write("a.txt");
  ASSERT_EQ(kOk, fs().SetAttributes(At("a.txt"), kAttrReadOnly));
  EXPECT_EQ(kErrAccessDenied, fs().Remove(At("a.txt")));
  EXPECT_TRUE(fs().Exists(At("a.txt")));
}

TEST_P(FileSystemContract, RemoveDirectoryTakesOnlyAnEmptyFolder) {
  Folder("Empty");
  Folder("Full");
  Write("Full\\a.txt");
  EXPECT_EQ(kOk, fs().RemoveDirectory(At("empty")));
  EXPECT_FALSE(fs().Exists(At("Empty")));
  EXPECT_EQ(kErrDirNotEmpty, fs().RemoveDirectory(At("Full")));
  EXPECT_EQ(kErrDirectory, fs().RemoveDirectory(At("Full\\a.txt")));
  EXPECT_EQ(kErrFileNotFound, fs().RemoveDirectory(At("Empty")));
  EXPECT_TRUE(fs().Exists(At("Full\\a.txt")));
}

// The file stays until the restart.
TEST_P(FileSystemContract, RemoveAtRestartLeavesTheFileForNow) {
  Write("running.exe");
  EXPECT_EQ(kOk, fs().RemoveAtRestart(At("running.exe")));
  EXPECT_TRUE(fs().Exists(At("running.exe")));
}

TEST_P(FileSystemContract, StreamsAreCopiedAndRemovedOneByOne) {
  // Wine has no alternate data streams.
  if (place_->OnWine()) GTEST_SKIP() << "Wine has no alternate data streams";
  Write("from.txt", "content");
  place_->WriteStream(At("from.txt"), "Zone.Identifier", "[ZoneTransfer]");
  ASSERT_EQ(kOk, fs().Copy(At("from.txt"), At("to.txt"), false));
  EXPECT_EQ("[ZoneTransfer]", Read("to.txt:Zone.Identifier"));

  EXPECT_EQ(kOk, fs().Remove(At("from.txt:Zone.Identifier")));
  EXPECT_EQ("", Read("from.txt:Zone.Identifier"));
  EXPECT_EQ("content", Read("from.txt")) << "the file itself stays";
  EXPECT_EQ(kErrFileNotFound, fs().Remove(At("from.txt:Zone.Identifier")));
}

TEST_P(FileSystemContract, RemovingAMissingStreamFails) {
  Write("plain.txt");
  EXPECT_EQ(kErrFileNotFound, fs().Remove(At("plain.txt:Zone.Identifier")));
  EXPECT_TRUE(fs().Exists(At("plain.txt")));
}

// A held file reads as it was opened and can be neither deleted nor replaced meanwhile.
TEST_P(FileSystemContract, HeldFileIsReadThroughItsHandleAndKeptInPlace) {
  Write("held.exe", "program");
  Write("other.exe", "another program");
  Folder("Folder");
  long error = -1;
  std::unique_ptr<HeldFile> held = fs().HoldFile(At("held.exe"), &error);
  ASSERT_NE(nullptr, held);
  EXPECT_EQ(kOk, error);
  std::string bytes;
  for (int pass = 0; pass < 2; ++pass) {
    EXPECT_EQ(kOk, held->Read(&bytes));
    EXPECT_EQ("program", bytes) << "pass " << pass << ": from the start each time";
  }
  EXPECT_EQ(kErrSharingViolation, fs().Remove(At("held.exe")));
  EXPECT_NE(kOk, fs().Replace(At("other.exe"), At("held.exe")));
  EXPECT_EQ("program", Read("held.exe"));
  held.reset();
  EXPECT_EQ(kOk, fs().Remove(At("held.exe")));

  struct Case {
    const char* name;
    long error;
  } refused[] = {{"Missing.exe", kErrFileNotFound}, {"Folder", kErrAccessDenied}};
  for (const Case& c : refused) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(nullptr, fs().HoldFile(At(c.name), &error));
    EXPECT_EQ(c.error, error);
  }
}

// A folder held for removal stays while anything is in it and goes through the handle once empty.
TEST_P(FileSystemContract, HeldFolderIsRemovedThroughItsHandleOnceEmpty) {
  Folder("Held");
  Write("Held\\file.txt");
  Write("plain.txt");
  long error = -1;
  std::unique_ptr<HeldFolder> held = fs().HoldFolder(At("Held"), true, &error);
  ASSERT_NE(nullptr, held);
  EXPECT_EQ(kOk, error);
  EXPECT_EQ(Ownership::Administration, held->Owner());
  EXPECT_EQ(kErrDirNotEmpty, held->Remove());
  EXPECT_EQ(kOk, fs().Remove(At("Held\\file.txt"))) << "what is inside goes by its path";
  EXPECT_EQ(kErrSharingViolation, fs().RemoveDirectory(At("Held"))) << "nobody else may remove it";
  EXPECT_EQ(kOk, held->Remove());
  EXPECT_EQ(kErrAccessDenied, held->Remove());
  held.reset();
  EXPECT_FALSE(fs().Exists(At("Held")));

  Folder("Kept");
  held = fs().HoldFolder(At("Kept"), false, &error);
  ASSERT_NE(nullptr, held);
  EXPECT_EQ(kErrAccessDenied, held->Remove()) << "not opened for removal";
  held.reset();
  EXPECT_TRUE(fs().Exists(At("Kept")));

  struct Case {
    const char* name;
    long error;
  } refused[] = {{"Missing", kErrFileNotFound}, {"Missing\\Deeper", kErrPathNotFound}, {"plain.txt", kErrDirectory}};
  for (const Case& c : refused) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(nullptr, fs().HoldFolder(At(c.name), true, &error));
    EXPECT_EQ(c.error, error);
  }
}

TEST_P(FileSystemContract, ModulePathIsAFullPath) {
  std::string module = fs().ModulePath();
  std::string name = place_->ModuleName();
  ASSERT_GT(module.size(), name.size() + 3);
  EXPECT_EQ(":\\", module.substr(1, 2));
  std::string tail = module.substr(module.size() - name.size() - 1);
  std::transform(tail.begin(), tail.end(), tail.begin(), ::tolower);
  std::transform(name.begin(), name.end(), name.begin(), ::tolower);
  EXPECT_EQ("\\" + name, tail);
}

std::vector<PlaceMaker> Places() {
  std::vector<PlaceMaker> places{{"Memory", [] { return std::unique_ptr<Place>(new MemoryPlace); }}};
#ifdef _WIN32
  places.push_back({"Win32", [] { return std::unique_ptr<Place>(new Win32Place); }});
#endif
  return places;
}

INSTANTIATE_TEST_SUITE_P(Each, FileSystemContract, ::testing::ValuesIn(Places()),
                         [](const ::testing::TestParamInfo<PlaceMaker>& info) { return info.param.name; });

}  // namespace

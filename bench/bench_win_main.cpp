// bench_win.exe: timings of the real Windows functions under Wine, one figure per line
// (name=value, milliseconds).
//
//   payload-copy FOLDER FILES MEGABYTES RUNS   CopyPayload from FOLDER\Data into FOLDER\Out against
//                                              a bare CopyFileA loop over the same files (FOLDER\Floor),
//                                              and CopyPayload's work apart from the copies
//   discovery KEYS RUNS                        DiscoverReleases against one bare enumeration of a
//                                              tree of KEYS keys in the real registry
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "acad/acad_release_table.h"
#include "bench/registry_tree.h"
#include "install/install.h"
#include "platform/win32/win32_code_page.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_message_boxes.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"

namespace {

double NowMs() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The real file system, but the program seems to run from FOLDER, so that FOLDER\Data is the source.
class BenchFileSystem : public Win32FileSystem {
 public:
  explicit BenchFileSystem(std::string modulePath) : modulePath_(std::move(modulePath)) {}
  std::string ModulePath() override { return modulePath_; }

 private:
  std::string modulePath_;
};

class CountingProgress : public ProgressSink {
 public:
  void Step() override { ++steps; }
  int steps = 0;
};

struct Win32Seams {
  Win32Registry registry;
  BenchFileSystem files;
  Win32ProcessList processes;
  Win32MessageBoxes boxes;
  Win32CodePage codePage;
  explicit Win32Seams(const std::string& modulePath) : files(modulePath) {}
  Platform platform() { return Platform{registry, files, processes, boxes, codePage}; }
};

void Print(const std::string& name, double value) { std::printf("%s=%.3f\n", name.c_str(), value); }

bool WriteSampleFile(const std::string& path, size_t bytes, unsigned seed) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::vector<char> block(1 << 20);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 131 + seed);
  bool ok = true;
  for (size_t written = 0; ok && written < bytes; written += block.size()) {
    DWORD chunk = static_cast<DWORD>(bytes - written < block.size() ? bytes - written : block.size());
    DWORD done = 0;
    ok = WriteFile(file, block.data(), chunk, &done, nullptr) && done == chunk;
  }
  CloseHandle(file);
  return ok;
}

// The floor: every plain file of the folder copied with CopyFileA, nothing else.
void BareCopy(const std::string& from, const std::string& to) {
  WIN32_FIND_DATAA entry;
  HANDLE listing = FindFirstFileA((from + "\\*.*").c_str(), &entry);
  if (listing == INVALID_HANDLE_VALUE) return;
  do {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    CopyFileA((from + "\\" + entry.cFileName).c_str(), (to + "\\" + entry.cFileName).c_str(), FALSE);
  } while (FindNextFileA(listing, &entry));
  FindClose(listing);
}

// CopyPayload's work for every file apart from the copy itself: the listing, the read-only
// checks and the removal of the downloaded-file marker.
void PrepareOnly(const Platform& p, const std::string& from, const std::string& to) {
  FindEntry entry;
  std::unique_ptr<DirListing> listing = p.files.FindFirst(from + "\\*.*", &entry);
  if (!listing) return;
  do {
    if (entry.attributes & kAttrDirectory) continue;
    ClearReadOnly(p.files, from + "\\" + entry.name);
    RemoveZoneIdentifier(p.files, from + "\\" + entry.name);
    ClearReadOnly(p.files, to + "\\" + entry.name);
    ClearReadOnly(p.files, to + "\\" + entry.name);
  } while (listing->Next(&entry));
}

int PayloadCopy(const std::string& folder, int files, int megabytes, int runs) {
  const std::string data = folder + "\\Data", out = folder + "\\Out", floor = folder + "\\Floor";
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA(data.c_str(), nullptr);
  CreateDirectoryA(floor.c_str(), nullptr);
  for (int i = 0; i < files; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "\\Payload%03d.arx", i);
    const std::string path = data + name;
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
    if (!WriteSampleFile(path, static_cast<size_t>(megabytes) << 20, static_cast<unsigned>(i))) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  }
  Win32Seams seams(folder + "\\SetUp.exe");
  // Two unmeasured rounds of each: the first fills the destination folders, as a reinstallation
  // finds them; the second waits out the write-back of the first, which would slow whichever
  // copy came next.
  for (int round = 0; round < 2; ++round) {
    CountingProgress warmUp;
    CopyPayload(seams.platform(), 0, InstallJob{out, &warmUp});
    BareCopy(data, floor);
  }
  // What CopyPayload adds per file, without the copy: timed apart, since the disk's noise
  // between two copies of 500 MB is larger than this.
  for (int run = 0; run < runs; ++run) {
    double start = NowMs();
    PrepareOnly(seams.platform(), data, out);
    Print("payload_overhead_ms", NowMs() - start);
  }
  for (int run = 0; run < runs; ++run) {
    // Alternating which goes first keeps the page cache from favouring one of them (give an
    // even number of runs).
    for (int turn = 0; turn < 2; ++turn) {
      if ((run + turn) % 2 == 0) {
        CountingProgress progress;
        double start = NowMs();
        bool copied = CopyPayload(seams.platform(), 0, InstallJob{out, &progress});
        Print("payload_ms", NowMs() - start);
        if (!copied) return 1;
      } else {
        double start = NowMs();
        BareCopy(data, floor);
        Print("payload_floor_ms", NowMs() - start);
      }
    }
  }
  return 0;
}

int Discovery(size_t keyCount, int runs) {
  Win32Seams seams("C:\\SetUp.exe");
  const char root[] = "SOFTWARE\\Autodesk\\AutoCAD";
  RemoveTree(seams.registry, kHkeyLocalMachine, root);
  size_t keys = SeedReleaseTree(seams.registry, keyCount);
  Print("discovery_keys", static_cast<double>(keys));
  for (int run = 0; run < runs; ++run) {
    double start = NowMs();
    AcadReleaseTable table;
    table.DiscoverReleases(seams.platform());
    Print("discovery_ms", NowMs() - start);
    start = NowMs();
    EnumerateTree(seams.registry, kHkeyLocalMachine, root);
    Print("discovery_floor_ms", NowMs() - start);
  }
  RemoveTree(seams.registry, kHkeyLocalMachine, root);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "payload-copy" && argc == 6) {
    return PayloadCopy(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
  }
  if (command == "discovery" && argc == 4) return Discovery(std::strtoul(argv[2], nullptr, 10), std::atoi(argv[3]));
  std::fprintf(stderr, "usage: bench_win payload-copy FOLDER FILES MEGABYTES RUNS | discovery KEYS RUNS\n");
  return 3;
}

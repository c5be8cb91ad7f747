// Win32FileSystem's listings, copies, attributes and removals of files, and the module's own path.
#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <memory>

#include "platform/win32/win32_handles.h"

namespace {

FindEntry ToEntry(const WIN32_FIND_DATAA& data) {
  FindEntry entry;
  entry.name = data.cFileName;
  entry.attributes = data.dwFileAttributes;
  return entry;
}

class Win32Listing : public DirListing {
 public:
  explicit Win32Listing(HANDLE find) : find_(find) {}
  ~Win32Listing() override { FindClose(find_); }
  Win32Listing(const Win32Listing&) = delete;
  Win32Listing& operator=(const Win32Listing&) = delete;

  bool Next(FindEntry* entry) override {
    WIN32_FIND_DATAA data;
    if (!FindNextFileA(find_, &data)) {
      error_ = static_cast<long>(GetLastError());
      return false;
    }
    *entry = ToEntry(data);
    return true;
  }
  long Error() const override { return error_; }

 private:
  HANDLE find_;
  long error_ = kOk;
};

}  // namespace

bool Win32FileSystem::IsRedirection(const std::string& path) {
  const DWORD pathAttributes = GetFileAttributesA(path.c_str());
  // The attributes are those of the last name itself, a link's included (Wine's symbolic links
  // too): without the reparse point there is nothing to follow, and opening it costs three calls
  // more a file.
  if (pathAttributes != INVALID_FILE_ATTRIBUTES && (pathAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return false;
  UniqueHandle handle(OpenItself(path, FILE_READ_ATTRIBUTES, kShareAll));
  if (handle.get() == INVALID_HANDLE_VALUE) {
    handle.release();
    // Nothing there leads anywhere; something that cannot be opened might.
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
  }
  return HandleIsRedirection(handle.get(), pathAttributes);
}

std::unique_ptr<DirListing> Win32FileSystem::FindFirst(const std::string& pattern, FindEntry* first) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return nullptr;
  *first = ToEntry(data);
  return std::make_unique<Win32Listing>(find);
}

namespace {

// Called by CopyFileEx for every chunk it copies: a big file keeps the dialog alive too.
DWORD CALLBACK CopyBeat(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD, HANDLE, HANDLE,
                        LPVOID keepAlive) {
  static_cast<KeepAlive*>(keepAlive)->Beat();
  return PROGRESS_CONTINUE;
}

}  // namespace

long Win32FileSystem::Copy(const std::string& from, const std::string& to, bool failIfExists) {
  if (!keepAlive) return Result(CopyFileA(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE));
  return Result(CopyFileExA(from.c_str(), to.c_str(), CopyBeat, keepAlive, nullptr,
                            failIfExists ? COPY_FILE_FAIL_IF_EXISTS : 0));
}

long Win32FileSystem::MakeDirectory(const std::string& path) {
  return Result(CreateDirectoryA(path.c_str(), nullptr));
}

uint32_t Win32FileSystem::Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

long Win32FileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  return Result(SetFileAttributesA(path.c_str(), attributes));
}

bool Win32FileSystem::VolumeHasStreams(const std::string& path) {
  // The folder is what is cached: the payload's files all lie in one.
  const char* name = path.c_str();
  for (const char* at = name; *at != '\0'; at = CharNextA(at)) {
    if (*at == '\\') name = at + 1;
  }
  const std::string folder = path.substr(0, static_cast<size_t>(name - path.c_str()));
  if (folder.empty() || folder != streamsFolder_) {
    char root[MAX_PATH];
    DWORD flags = 0;
    // When the volume cannot be told, a stream may be there.
    streamsFolderHas_ = !GetVolumePathNameA(path.c_str(), root, MAX_PATH) ||
                        !GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) ||
                        (flags & FILE_NAMED_STREAMS) != 0;
    streamsFolder_ = folder;
  }
  return streamsFolderHas_;
}

long Win32FileSystem::Remove(const std::string& path) {
  // A volume without named streams (FAT, Wine's drives) holds none to delete, and asking for one
  // there searches the whole folder for the name. ':' is never a trail byte in code page 936.
  const size_t colon = path.rfind(':');
  const bool stream = colon != std::string::npos && colon > 2 && path.compare(0, 4, "\\\\?\\") != 0;
  if (stream && !VolumeHasStreams(path.substr(0, colon))) return ERROR_FILE_NOT_FOUND;
  return Result(DeleteFileA(path.c_str()));
}

long Win32FileSystem::Replace(const std::string& from, const std::string& to) {
  return Result(MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING));
}

std::string ReadModulePath(size_t initialSize) {
  // The result does not say how long the path is: grow the buffer until the path fits.
  std::string buffer(initialSize > 0 ? initialSize : 1, '\0');
  for (;;) {
    DWORD size = static_cast<DWORD>(buffer.size());
    DWORD length = GetModuleFileNameA(nullptr, &buffer[0], size);
    if (length == 0) return "";
    if (length < size) {
      buffer.resize(length);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string Win32FileSystem::ModulePath() { return ReadModulePath(MAX_PATH); }

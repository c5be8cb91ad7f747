#include "platform/win32/win32_file_system.h"

#include <windows.h>
#include <wincrypt.h>

#include <vector>

namespace {

long Result(BOOL ok) { return ok ? kOk : static_cast<long>(GetLastError()); }

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

std::unique_ptr<DirListing> Win32FileSystem::FindFirst(const std::string& pattern, FindEntry* first) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return nullptr;
  *first = ToEntry(data);
  return std::make_unique<Win32Listing>(find);
}

long Win32FileSystem::Copy(const std::string& from, const std::string& to, bool failIfExists) {
  return Result(CopyFileA(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE));
}

long Win32FileSystem::MakeDirectory(const std::string& path) {
  return Result(CreateDirectoryA(path.c_str(), nullptr));
}

uint32_t Win32FileSystem::Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

long Win32FileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  return Result(SetFileAttributesA(path.c_str(), attributes));
}

long Win32FileSystem::Remove(const std::string& path) { return Result(DeleteFileA(path.c_str())); }

long Win32FileSystem::Replace(const std::string& from, const std::string& to) {
  return Result(MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING));
}

namespace {

// CryptoAPI from advapi32, a known DLL: nothing beside the executable can stand in for it.
class Sha256Hash {
 public:
  Sha256Hash() {
    if (!CryptAcquireContextA(&provider_, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) provider_ = 0;
    if (provider_ != 0 && !CryptCreateHash(provider_, CALG_SHA_256, 0, 0, &hash_)) hash_ = 0;
  }
  ~Sha256Hash() {
    if (hash_ != 0) CryptDestroyHash(hash_);
    if (provider_ != 0) CryptReleaseContext(provider_, 0);
  }
  Sha256Hash(const Sha256Hash&) = delete;
  Sha256Hash& operator=(const Sha256Hash&) = delete;

  bool Add(const BYTE* data, DWORD size) { return hash_ != 0 && CryptHashData(hash_, data, size, 0); }
  std::string Hex() {
    BYTE digest[32];
    DWORD size = sizeof digest;
    if (hash_ == 0 || !CryptGetHashParam(hash_, HP_HASHVAL, digest, &size, 0) || size != sizeof digest) return "";
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (BYTE b : digest) {
      hex += kDigits[b >> 4];
      hex += kDigits[b & 0xF];
    }
    return hex;
  }

 private:
  HCRYPTPROV provider_ = 0;
  HCRYPTHASH hash_ = 0;
};

}  // namespace

std::string Win32FileSystem::Sha256(const std::string& path) {
  // No writer may change the file while it is read.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "";
  Sha256Hash hash;
  std::vector<BYTE> buffer(1 << 16);
  std::string hex;
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) break;
    if (read == 0) {
      hex = hash.Hex();
      break;
    }
    if (!hash.Add(buffer.data(), read)) break;
  }
  CloseHandle(file);
  return hex;
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

// Win32FileSystem's SHA-256 of a file's bytes.
#include <windows.h>
#include <wincrypt.h>

#include <string>
#include <vector>

#include "platform/win32/win32_file_system.h"

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
    if (!::ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) break;
    if (read == 0) {
      hex = hash.Hex();
      break;
    }
    if (!hash.Add(buffer.data(), read)) break;
    if (keepAlive) keepAlive->Beat();
  }
  CloseHandle(file);
  return hex;
}

#include "tests/memory/sha256_bytes.h"

#ifdef _WIN32
#include <windows.h>
#include <wincrypt.h>
#else
#include <openssl/evp.h>
#endif

#include <stdexcept>

namespace {

std::string ToHex(const unsigned char* digest, size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (size_t i = 0; i < size; ++i) {
    hex += kDigits[digest[i] >> 4];
    hex += kDigits[digest[i] & 0xF];
  }
  return hex;
}

}  // namespace

std::string Sha256OfBytes(const std::string& bytes) {
  unsigned char digest[32];
#ifdef _WIN32
  // One provider for the process: acquiring one reads the registry, which under Wine costs more
  // than the hash of a small file, and the fault matrix hashes over and over.
  static HCRYPTPROV provider = 0;
  if (provider == 0 && !CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
    provider = 0;
  }
  HCRYPTHASH hash = 0;
  DWORD size = sizeof digest;
  bool ok = provider != 0 && CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash) &&
            CryptHashData(hash, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), 0) &&
            CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0);
  if (hash != 0) CryptDestroyHash(hash);
#else
  unsigned int size = sizeof digest;
  bool ok = EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_sha256(), nullptr) == 1;
#endif
  if (!ok || size != sizeof digest) throw std::runtime_error("SHA-256 is not available");
  return ToHex(digest, sizeof digest);
}

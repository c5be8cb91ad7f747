#include "platform/registry.h"

long Registry::SetString(RegHandle key, const std::string& name, const std::string& value) {
  return SetValue(key, name, kRegSz, reinterpret_cast<const unsigned char*>(value.c_str()),
                  static_cast<uint32_t>(value.size() + 1));
}

long Registry::SetDword(RegHandle key, const std::string& name, uint32_t value) {
  unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                            static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
  return SetValue(key, name, kRegDword, bytes, 4);
}

long Registry::GetBytes(RegHandle key, const std::string& name, uint32_t* type, std::string* data) {
  uint32_t size = 0;
  long rc = QueryValue(key, name, type, nullptr, &size);
  if (rc != kOk) return rc;
  std::string bytes(size, '\0');
  if (size > 0) rc = QueryValue(key, name, type, reinterpret_cast<unsigned char*>(&bytes[0]), &size);
  if (rc != kOk) return rc;
  bytes.resize(size);
  *data = bytes;
  return kOk;
}

RegKey& RegKey::operator=(RegKey&& other) noexcept {
  if (this != &other) {
    Close();
    registry_ = other.registry_;
    handle_ = other.handle_;
    other.handle_ = 0;
  }
  return *this;
}

long RegKey::Open(RegHandle parent, const std::string& subkey, RegAccess access) {
  Close();
  RegHandle h = 0;
  long rc = registry_->Open(parent, subkey, access, &h);
  if (rc == kOk) handle_ = h;
  return rc;
}

long RegKey::Create(RegHandle parent, const std::string& subkey) {
  Close();
  RegHandle h = 0;
  long rc = registry_->Create(parent, subkey, &h);
  if (rc == kOk) handle_ = h;
  return rc;
}

void RegKey::Close() {
  if (handle_ != 0) {
    registry_->Close(handle_);
    handle_ = 0;
  }
}

// The registry in memory, with Windows semantics: case-insensitive, case-preserving names,
// subkeys enumerated in sorted (case-insensitive) order, RegDeleteKey refusing a key with
// subkeys, hive files that mount below HKEY_USERS, and injectable faults. Paths are below a root,
// without a leading backslash.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/registry.h"

class MemoryRegistry : public Registry {
 public:
  MemoryRegistry();
  ~MemoryRegistry() override;

  long Open(RegHandle parent, const std::string& subkey, RegAccess access, RegHandle* out) override;
  long Create(RegHandle parent, const std::string& subkey, RegHandle* out) override;
  long Delete(RegHandle parent, const std::string& subkey) override;
  long SubkeyCount(RegHandle key, uint32_t* count) override;
  long EnumSubkey(RegHandle key, uint32_t index, char* name, uint32_t* nameSize) override;
  long QueryValue(RegHandle key, const std::string& name, uint32_t* type, unsigned char* data,
                  uint32_t* size) override;
  long SetValue(RegHandle key, const std::string& name, uint32_t type, const unsigned char* data,
                uint32_t size) override;
  void Close(RegHandle key) override;
  long DeleteValue(RegHandle key, const std::string& name) override;
  // As Windows: an unknown file is kErrFileNotFound, a mount name in use kErrAlreadyExists, a file
  // mounted already kErrSharingViolation; unloading writes the hive back into its file, and is
  // refused (kErrAccessDenied) while a key of the hive is open or for a hive this registry did not load.
  long LoadHive(const std::string& mountName, const std::string& file) override;
  long UnloadHive(const std::string& mountName) override;
  // Text values keep the width they were written in and are converted when read in the other.
  long GetWideBytes(RegHandle key, const std::string& name, uint32_t* type, std::string* data) override;
  long SetWideValue(RegHandle key, const std::string& name, uint32_t type, const std::string& data) override;

  // A hive file (named case-insensitively) holding a copy of root\path and everything below it, as
  // RegSaveKey would write it; an earlier one of that name is replaced.
  void SaveHive(RegHandle root, const std::string& path, const std::string& file);

  // Seeding (creates every missing key on the way).
  void AddKey(RegHandle root, const std::string& path);
  void SetRaw(RegHandle root, const std::string& path, const std::string& name, uint32_t type,
              const std::string& bytes);
  void SetText(RegHandle root, const std::string& path, const std::string& name, const std::string& text);
  void RemoveTree(RegHandle root, const std::string& path);  // a key that vanishes, with all below it

  // Reading back.
  bool HasKey(RegHandle root, const std::string& path) const;
  bool GetRaw(RegHandle root, const std::string& path, const std::string& name, uint32_t* type,
              std::string* bytes) const;
  std::string GetText(RegHandle root, const std::string& path, const std::string& name) const;  // up to NUL
  std::vector<std::string> SubkeyNames(RegHandle root, const std::string& path) const;  // enumeration order
  std::vector<std::string> ValueNames(RegHandle root, const std::string& path) const;
  // Every key and value below root, one per line, sorted: for comparing whole trees.
  std::string Dump(RegHandle root) const;

  // Faults.
  void DenyOpen(RegHandle root, const std::string& path);   // every open of it fails: kErrAccessDenied
  void DenyWrite(RegHandle root, const std::string& path);  // open for writing, create, set, delete fail
  void FailQuery(RegHandle root, const std::string& path, const std::string& name);  // query fails
  void FailEnum(RegHandle root, const std::string& path, uint32_t index);  // enumerating that index fails
  // The interface call that makes Calls() reach `number` fails: kErrAccessDenied (Close cannot
  // fail, so a number that falls on a Close injects nothing). 0 turns it off.
  void FailCall(size_t number);
  // What the failed call was ("Open <subkey>", "SetValue <name>", ...); empty while none failed.
  const std::string& FailedCall() const;
  // Keys that are open now: every operation must close what it opened.
  size_t OpenHandles() const;
  // Operations of the Registry interface called so far (for fault matrices).
  size_t Calls() const;

 private:
  struct Node;
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

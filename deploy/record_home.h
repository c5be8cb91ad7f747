// The record folder on the disk: made admin-only and checked before anything is written there,
// held while the setup writes, and every file in it written fresh under a temporary name and
// renamed into place, so that nothing is ever written through a link.
#pragma once

#include <memory>
#include <string>

#include "deploy/install_record.h"
#include "platform/code_page.h"
#include "platform/environment.h"
#include "platform/file_system.h"

class RecordHome {
 public:
  RecordHome(FileSystem& files, const CodePage& codePage, const Environment& env);

  const std::string& Path() const { return path_; }
  // Each level made unless there, checked, and the record folder held. False, with the reason in
  // *why, when a level is a link or not the administration's, or cannot be made (someone else
  // made it meanwhile included) or held.
  bool Prepare(std::string* why);
  // The record kept there by an earlier install; false when there is none that can be trusted and read.
  bool ReadRecord(InstallRecord* record);
  // `bytes` as the file `relative` in the prepared folder (one level below it at most, made on demand).
  long Write(const std::string& relative, const std::string& bytes);
  // The folder `relative` in the prepared folder, made unless there, checked and held.
  bool MakeFolder(const std::string& relative);

 private:
  // A level that may be written into: no link, the administration's.
  bool Trusted(const std::string& level);
  // Made unless there, checked and held as an install folder's own folders are.
  bool MakeLevel(const std::string& level);

  FileSystem& files_;
  const CodePage& codePage_;
  std::string programFiles_;
  std::string path_;
  std::unique_ptr<FolderHold> hold_;
  FolderHolds levels_;
  // Once a level was refused it stays refused: a second look would find the raced folder there.
  std::string refused_;
};

// Win32 numbers that the portable logic needs, without windows.h.
#pragma once

#include <cstdint>

// Result codes, the same values as the Win32 ERROR_* codes.
enum : long {
  kOk = 0,
  kErrFileNotFound = 2,
  kErrPathNotFound = 3,
  kErrAccessDenied = 5,
  kErrInvalidHandle = 6,
  kErrNotSameDevice = 17,
  kErrNotReady = 21,
  kErrNoMoreFiles = 18,
  kErrSharingViolation = 32,
  kErrNetNameDeleted = 64,
  kErrFileExists = 80,
  kErrInvalidParameter = 87,
  kErrInvalidName = 123,
  kErrDirNotEmpty = 145,
  kErrDirectory = 267,
  kErrBadPathname = 161,
  kErrAlreadyExists = 183,
  kErrMoreData = 234,
  kErrNoMoreItems = 259,
  kErrTooManyLinks = 1142,
  kErrKeyDeleted = 1018,
  kErrReparsePointEncountered = 4395,
};

// A file, folder, key or value that is not there (rather than one that cannot be reached).
inline bool IsNotFound(long rc) { return rc == kErrFileNotFound || rc == kErrPathNotFound; }

// File attributes.
constexpr uint32_t kAttrReadOnly = 0x1;
constexpr uint32_t kAttrHidden = 0x2;
constexpr uint32_t kAttrSystem = 0x4;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
constexpr uint32_t kAttrNormal = 0x80;
constexpr uint32_t kAttrReparsePoint = 0x400;
constexpr uint32_t kAttrNotContentIndexed = 0x2000;
constexpr uint32_t kInvalidAttributes = 0xFFFFFFFF;

// Registry value types.
constexpr uint32_t kRegNone = 0;
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegMultiSz = 7;

// Message box styles and answers.
constexpr unsigned kMbOk = 0x0;
constexpr unsigned kMbAbortRetryIgnore = 0x2;
constexpr unsigned kMbYesNo = 0x4;
constexpr unsigned kMbIconQuestion = 0x20;
constexpr unsigned kMbIconExclamation = 0x30;
constexpr unsigned kMbIconInformation = 0x40;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdAbort = 3;
constexpr int kIdRetry = 4;
constexpr int kIdIgnore = 5;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// A window handle as the portable code sees it (an HWND's value).
using WindowRef = std::uintptr_t;

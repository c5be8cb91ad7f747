// The security every folder the setup makes is given, and an existing install folder is given
// again: the rule of a drive's root. Administrators own it; SYSTEM and Administrators have full
// control; Users may read and run what is in it and add files and folders to it, and whatever a
// user adds there is theirs (CREATOR OWNER). No user can rename, delete or change the folder or
// what the setup put there. Protected: nothing is inherited from the folder above.
#pragma once

constexpr char kProtectedFolderSddl[] =
    "O:BAD:PAI"
    "(A;OICI;FA;;;SY)"         // SYSTEM: full control, here and below
    "(A;OICI;FA;;;BA)"         // Administrators: the same
    "(A;OICI;0x1200a9;;;BU)"   // Users: read and execute, here and below
    "(A;;0x6;;;BU)"            // Users: add files and folders, this folder only
    "(A;OICIIO;FA;;;CO)";      // what a user adds: full control for that user

// The folder the install copies are written into before each is renamed into the install folder:
// what is made there inherits what it would in the install folder (the same inheritable entries,
// which a rename keeps), but no user may add anything to it, so no copy lands on a user's file.
constexpr char kCopyFolderSddl[] =
    "O:BAD:PAI"
    "(A;OICI;FA;;;SY)"
    "(A;OICI;FA;;;BA)"
    "(A;OICI;0x1200a9;;;BU)"
    "(A;OICIIO;FA;;;CO)";

// Folders no user may add anything to: the record folder with the kept uninstaller, and the folder
// the uninstaller runs from. Users may still read them (Add/Remove Programs shows the kept
// program's icon), but cannot put a file beside the program or a record that it would trust.
constexpr char kAdministratorsOnlySddl[] =
    "O:BAD:PAI"
    "(A;OICI;FA;;;SY)"         // SYSTEM: full control, here and below
    "(A;OICI;FA;;;BA)"         // Administrators: the same
    "(A;OICI;0x1200a9;;;BU)";  // Users: read and execute, here and below

// The security every folder the setup makes is given, and an existing install folder and what is
// in it are given again: the rule of Program Files. Administrators own it; SYSTEM and
// Administrators have full control; Users may read and run what is in it, nothing else. AutoCAD
// loads a menu's .mnl and an ARX's DLLs from the folder they lie in, for every user: no user may
// add a file there, nor rename, delete or change the folder or what the setup put in it.
// Protected: nothing is inherited from the folder above.
#pragma once

constexpr char kProtectedFolderSddl[] =
    "O:BAD:PAI"
    "(A;OICI;FA;;;SY)"         // SYSTEM: full control, here and below
    "(A;OICI;FA;;;BA)"         // Administrators: the same
    "(A;OICI;0x1200a9;;;BU)";  // Users: read and execute, here and below

// The record folder with the kept uninstaller, and the folder the uninstaller runs from: the same
// rule. Users may still read them (Add/Remove Programs shows the kept program's icon).
constexpr const char* kAdministratorsOnlySddl = kProtectedFolderSddl;

// Texts the file installation shows to the user (code page 936 once compiled).
#pragma once

constexpr char kSetupCaption[] = "Tessarune软件安装";

// Shown by the install and by the uninstall while AutoCAD runs.
constexpr char kCloseAcadText[] = "请关闭AutoCAD后再进行安装 !";

constexpr char kSourceMissingText[] =
    "未找到安装所需的Data文件夹 !\n\n可能安装文件下载后没有解压，\n\n请解压后再执行SetUp.exe !";

// %s: the full path of the file that could not be copied.
constexpr char kCopyFailedFormat[] =
    "拷贝文件 %s 失败，可能原因如下：\n\n1、AutoCAD未关闭\n\n2、系统权限未开放，请以管理者权限登陆系统";

// %s: the full path of a source file that the signed distribution does not hold as it is (or at all).
constexpr char kNotSignedFormat[] = "文件 %s 与签名的安装包不符。";

// A folder the install will not write into, its path between head and tail; same caption, with
// the exclamation icon. A link or a folder some user owns (or that someone made while the setup
// was making it):
constexpr char kUntrustedFolderHead[] = "文件夹 ";
constexpr char kUntrustedFolderTail[] = " 是链接或不属于管理员，为安全起见不能安装到这里。";
// A folder whose permissions, or its parent's, let other users rename or delete it:
constexpr char kChangeableFolderTail[] = " 可被其他用户改名或删除，为安全起见不能安装到这里。";
// An install folder on a volume that keeps no permissions:
constexpr char kNoPermissionsVolumeTail[] = " 所在的磁盘不能设置权限（如 FAT32、exFAT），为安全起见不能安装到这里。";

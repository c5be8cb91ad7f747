// Texts the uninstall shows (code page 936 once compiled). The caption is the setup's own.
#pragma once

constexpr char kUninstallQuestionText[] =
    "确定要卸载Tessarune吗？\n\n将删除安装的程序文件、AutoCAD中的加载项和信任路径设置；字体文件保留。";
constexpr char kUninstalledText[] = "Tessarune已卸载。";
// Followed by the names of what stayed, one a line.
constexpr char kUninstalledExceptText[] = "Tessarune已卸载，以下项目保留或未能删除：\n\n";
constexpr char kNothingToUninstallText[] = "本机没有Tessarune的安装记录，无需卸载。";
constexpr char kRecordUnreadableText[] = "无法读取Tessarune的安装记录，未做任何更改。";
constexpr char kUninstallerNotStartedText[] = "无法启动卸载程序，未做任何更改。";

// Texts the Install command shows (code page 936 once compiled). Warnings and errors carry the
// file installation's caption, kSetupCaption of install/install_texts.h.
#pragma once

constexpr char kPathTooLongText[] = "安装路径过长，请选择较短的安装路径 !";

constexpr char kCompletionCaption[] = "Tessarune工具箱安装";
constexpr char kInstalledText[] = "安装完成，重启CAD即可使用 !";
constexpr char kImportSettingsText[] =
    "若要导入早期版本（2024年版本及更早版本）的设置，可点击:\n\n [软件设置] -> [设置导出导入] -> [早期版本设置导入]";

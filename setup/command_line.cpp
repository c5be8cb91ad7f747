#include "setup/command_line.h"

#include <cctype>

#include "acad/acad_release_table.h"
#include "deploy/uninstall.h"
#include "install/install_texts.h"
#include "picker/folder_validation.h"
#include "platform/message_boxes.h"

const char kUsageText[] =
    "用法：SetUp.exe [/S] [/ALLUSERS] [/ALLOWDOWNGRADE] [/RELEASES=年份,年份] [/LOG=日志文件] [/D=安装路径]\n"
    "      SetUp.exe /UNINSTALL [/S] [/LOG=日志文件]\n\n"
    "/S\t静默安装：不显示窗口和提示，安装到找到的全部AutoCAD版本（/VERYSILENT、/QN 同义）\n"
    "/ALLUSERS\t把安装路径加入本机所有用户现有的AutoCAD配置\n"
    "/RELEASES=\t只安装到列出的、已安装的AutoCAD版本，例如 /RELEASES=2010,2021（与 /S 一起使用）\n"
    "/LOG=\t把日志写入该文件，而不是默认位置（与 /S 一起使用）\n"
    "/ALLOWDOWNGRADE\t已安装较新的版本时仍安装本版本（与 /S 一起使用）\n"
    "/D=\t安装路径，默认为 C:\\Quilox（静默安装时为已安装的位置）；须放在最后\n"
    "/UNINSTALL\t卸载本软件，可与 /S、/LOG= 一起使用\n"
    "/NORESTART\t可以加上，不起作用：本软件从不重启Windows\n\n"
    "退出码（安装和卸载）：0 完成，87 参数错误，1602 用户取消卸载，1603 失败，"
    "1618 AutoCAD正在运行，1638 已安装较新的版本，3010 完成，重启Windows后生效";

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

std::string AsciiLower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// A quoted value loses its quotes wherever they stand: /LOG="C:\a b\x.log" and "/LOG=C:\a b\x.log".
std::string WithoutQuotes(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c != '"') out += c;
  }
  return out;
}

// Years separated by commas, each a release the setup knows.
bool ParseYears(const std::string& text, std::vector<int>* years) {
  years->clear();
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (item.size() != 4) return false;
    for (char c : item) {
      if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    const int year = std::stoi(item);
    if (year < kFirstYear || year > kLastYear) return false;
    years->push_back(year);
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

}  // namespace

bool ParseCommandLine(const CodePage& codePage, const std::string& line, SetupOptions* options) {
  *options = SetupOptions();
  bool ok = true;
  bool releasesGiven = false;
  size_t pos = 0;
  while (pos < line.size()) {
    if (IsSpace(line[pos])) {
      ++pos;
      continue;
    }
    // A token ends at a space outside quotes. Neither '"' nor a space is ever a trail byte.
    const size_t start = pos;
    bool quoted = false;
    while (pos < line.size() && (quoted || !IsSpace(line[pos]))) {
      if (line[pos] == '"') quoted = !quoted;
      ++pos;
    }
    const std::string token = WithoutQuotes(line.substr(start, pos - start));
    const size_t equals = token.find('=');
    const std::string name = AsciiLower(token.substr(0, equals));
    const std::string value = equals == std::string::npos ? std::string() : token.substr(equals + 1);

    if (name == "/d" && equals != std::string::npos) {
      // As NSIS does: the rest of the line, spaces and all, is the path.
      // No path holds a quote: every one is dropped.
      std::string rest = WithoutQuotes(line.substr(line.find('=', start) + 1));
      while (!rest.empty() && IsSpace(rest.back())) rest.pop_back();
      options->hasInstallPath = true;
      options->installPath = rest;
      if (!IsTypedInstallPath(codePage, rest)) ok = false;
      break;
    }
    const bool flag = equals == std::string::npos;
    if ((name == "/s" || name == "/verysilent" || name == "/qn") && flag) {
      options->silent = true;
    } else if (name == "/norestart" && flag) {
      // Typed by habit for every installer; nothing here restarts Windows.
    } else if (name == "/allusers" && equals == std::string::npos) {
      options->allUsers = true;
    } else if (name == "/allowdowngrade" && equals == std::string::npos) {
      options->allowDowngrade = true;
    } else if (name == "/releases" && equals != std::string::npos) {
      releasesGiven = true;
      if (!ParseYears(value, &options->releases)) ok = false;
    } else if (name == "/log" && equals != std::string::npos && !value.empty()) {
      options->logPath = value;
    } else if (name == "/uninstall" && equals == std::string::npos) {
      options->uninstall = true;
    } else if (name == AsciiLower(kTemporaryCopySwitch) && equals == std::string::npos) {
      options->temporaryCopy = true;
    } else {
      ok = false;
    }
  }
  // The release list, the log and the downgrade belong to a silent run: the dialog installs what runs.
  if (!options->silent && (releasesGiven || !options->logPath.empty() || options->allowDowngrade)) ok = false;
  // An uninstall takes what the record says: no path, no releases.
  if (options->uninstall && (releasesGiven || options->hasInstallPath || options->allowDowngrade)) ok = false;
  if (options->temporaryCopy && !options->uninstall) ok = false;
  return ok;
}

int RefuseCommandLine(MessageBoxes& boxes, const SetupOptions& options, bool desktopVisible) {
  if (!options.silent && desktopVisible) boxes.Show(0, kUsageText, kSetupCaption, kMbOk | kMbIconInformation);
  return kExitBadArguments;
}

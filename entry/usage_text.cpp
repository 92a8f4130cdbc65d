#include "entry/usage_text.h"

namespace {

const Utf16Char* FaultText(CommandLineFault fault) {
  switch (fault) {
    case CommandLineFault::kNotASwitch:
      return U16("不是参数（参数以“/”开头）：");
    case CommandLineFault::kUnknownSwitch:
      return U16("无法识别的参数：");
    case CommandLineFault::kMissingValue:
      return U16("参数缺少值：");
    case CommandLineFault::kUnterminatedQuote:
      return U16("引号未闭合：");
    case CommandLineFault::kRepeatedSwitch:
      return U16("参数重复：");
    case CommandLineFault::kNone:
      break;
  }
  return U16("");
}

// Lines end with CR LF, as a message box and a copy of its text (Ctrl+C) expect them.
constexpr Utf16Char kUsage[] =
    U16("用法：BokrinSetup.exe [/S] [/LAUNCH] [/LOG=<文件>] [/BOOKDIR=<目录>] [/D=<目录>]\r\n")
    U16("\r\n")
    U16("/S\t静默安装：不显示任何窗口，结果由退出代码给出\r\n")
    U16("/D=<目录>\t安装目录；须放在最后，可含空格，不加引号\r\n")
    U16("/BOOKDIR=<目录>\t书籍存放目录；含空格时加引号\r\n")
    U16("/LAUNCH\t静默安装完成后启动Bokrin阅读\r\n")
    U16("/LOG=<文件>\t同时将安装日志写入该文件\r\n")
    U16("/? 或 /HELP\t显示本说明\r\n")
    U16("\r\n")
    U16("退出代码：\r\n")
    U16("0\t安装完成（或显示本说明）\r\n")
    U16("1\t用户取消，或安装完成前关闭了安装程序\r\n")
    U16("2\t无网络，或版本服务出错、未提供安装包\r\n")
    U16("3\t下载失败\r\n")
    U16("4\t安装包损坏或被拒绝\r\n")
    U16("5\t无法写入安装目录（权限、磁盘空间或文件被占用）\r\n")
    U16("6\t系统版本过低\r\n")
    U16("7\t命令行或目录错误\r\n")
    U16("8\t另一个安装程序正在运行\r\n")
    U16("9\t无法启动Bokrin阅读");

}  // namespace

WString UsageText(CommandLineFault fault, const WString& faulty_switch) {
  if (fault == CommandLineFault::kNone) return kUsage;
  return FaultText(fault) + faulty_switch + U16("\r\n\r\n") + kUsage;
}

#pragma once
// The text of the box that /? and /HELP show, and that a command line which cannot be carried
// out shows with its first wrong switch named above it.
#include "entry/command_line.h"

inline constexpr Utf16Char kUsageBoxTitle[] = U16("Bokrin阅读安装程序");

// The switches and the exit codes; with a fault, a first paragraph that names the switch and
// what is wrong with it.
WString UsageText(CommandLineFault fault, const WString& faulty_switch);

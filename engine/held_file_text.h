#pragma once
// The error that stops an installation when another program keeps a file of the install
// directory open, and the store that lets such a text made at run time travel to the wizard
// as the process-long text that the error message carries.
#include <vector>

#include "common/utf16.h"

// "文件被其他程序占用：<file>（<program>、<program>），请关闭该程序后重试！", the file being the entry's
// path inside the install directory with Windows separators. Without programs (the system
// could not name them) the file stands alone.
WString HeldFileErrorText(const WString& entry_name, const std::vector<WString>& programs);

// A copy of `text` that lives as long as the process; equal texts share one copy, so that an
// error met again on a later attempt does not keep another. Safe from any thread.
const Utf16Char* KeepForProcess(const WString& text);

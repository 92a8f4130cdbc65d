#pragma once
// A failed system call in the setup log: one line that says where and what failed, the code
// the system gave and the system's own text for it, the same way for every caller.
#include <windows.h>

#include <string>

#include "common/system_failure_text.h"

// The calling thread's last Win32 error. Read it before anything else can change it.
inline SystemCode LastError() { return SystemCode::Win32Error(GetLastError()); }

// "error 5 (Access is denied.)" or "HRESULT 0x80070005 (Access is denied.)", with the text in
// the system's language.
std::wstring DescribeSystemCode(SystemCode code);

// Logs "<where>: <what>, <code with its text>". `what` takes the arguments of swprintf. The
// thread's last error is the same afterwards.
void LogSystemFailure(const wchar_t* where, SystemCode code, const wchar_t* what, ...);

// The rule for every COM call: a failed result is logged with its HRESULT and the caller gives
// up on what it was doing. True when `result` is a success.
bool ComSucceeded(HRESULT result, const wchar_t* where, const wchar_t* what, ...);

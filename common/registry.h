#pragma once
// Registry access. Keys are opened with full access and created when missing, so reading a
// value creates its key.
#include <string>

#include "common/scoped_handle.h"

// Opens `sub_key` under `root`, creating it only when it does not exist; an invalid key when
// opening fails otherwise (for example access denied) or creating fails; that failure is
// logged with its status.
ScopedRegKey RegOpenOrCreateKey(HKEY root, const wchar_t* sub_key);
// Writes `value` with its terminating zero; `type` is always REG_SZ. A failed write is logged
// with its status.
void RegWriteValue(HKEY key, const wchar_t* name, DWORD type, const std::wstring& value);
// The value's text up to its first zero character; empty when missing, unreadable or longer
// than 259 characters. `type` only receives the stored type inside the call, so a value of
// any type is read, its bytes taken as UTF-16 text.
std::wstring RegReadString(HKEY key, const wchar_t* name, DWORD type);

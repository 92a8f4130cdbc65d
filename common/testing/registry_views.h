#pragma once
// For tests that check where values land in the registry. A 32-bit program on 64-bit Windows
// writes the machine's keys into the 32-bit view; a 64-bit program into the 64-bit one. The
// current user's software key is one for both views.
#include <windows.h>

#include <string>

constexpr REGSAM kOwnRegistryView = sizeof(void*) == 8 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
constexpr REGSAM kOtherRegistryView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;

// The data of a REG_SZ value in the given view, read without creating anything; "<no key>",
// "<no value>" or "<not REG_SZ>" when there is none.
std::wstring ReadRegistryString(HKEY root, const wchar_t* key_path, const wchar_t* name,
                                REGSAM view = kOwnRegistryView);

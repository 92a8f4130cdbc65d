#pragma once
// What setup-log-writer.exe appends to each of its lines: long, and not ASCII, so that a line
// torn by another thread's write would show.
inline constexpr wchar_t kWriterPadding[] =
    L"阅读阅读阅读阅读阅读阅读阅读阅读阅读阅读阅读阅读阅读阅读阅读阅读阅读阅读阅读阅读"
    L"阅读阅读阅读阅读阅读阅读阅读阅读阅读阅读阅读阅读阅读阅读阅读阅读阅读阅读阅读阅读"
    L"0123456789abcdefghijklmnopqrstuvwxyz0123456789abcdefghijklmnopqrstuvwxyz";

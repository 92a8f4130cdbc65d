#include "engine/engine_messages.h"

#include <cstring>

#include "common/heap_block.h"
#include "engine/install_messages.h"

void PostStatus(HWND window, const wchar_t* text) {
  PostMessageW(window, WM_INSTALL_STATUS, kStatusWide, reinterpret_cast<LPARAM>(text));
}

void PostNarrowStatus(HWND window, const std::string& text) {
  HeapText block(static_cast<char*>(std::malloc(text.size() + 1)));
  if (!block) return;
  std::memcpy(block.get(), text.c_str(), text.size() + 1);
  if (PostMessageW(window, WM_INSTALL_STATUS, kStatusNarrow936, reinterpret_cast<LPARAM>(block.get()))) {
    block.release();
  }
}

void PostProgress(HWND window, int32_t value) {
  PostMessageW(window, WM_INSTALL_PROGRESS, 0, value);
}

void PostError(HWND window, WPARAM mode, const wchar_t* text) {
  PostMessageW(window, WM_INSTALL_ERROR, mode, reinterpret_cast<LPARAM>(text));
}

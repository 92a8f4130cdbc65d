#include "engine/window_install_observer.h"

#include <cstdlib>
#include <cstring>

#include "common/heap_block.h"
#include "engine/install_messages.h"

void WindowInstallObserver::OnStatus(const wchar_t* text) {
  PostMessageW(window_, WM_INSTALL_STATUS, kStatusWide, reinterpret_cast<LPARAM>(text));
}

void WindowInstallObserver::OnNarrowStatus(const std::string& text) {
  HeapText block(static_cast<char*>(std::malloc(text.size() + 1)));
  if (!block) return;
  std::memcpy(block.get(), text.c_str(), text.size() + 1);
  if (PostMessageW(window_, WM_INSTALL_STATUS, kStatusNarrow936, reinterpret_cast<LPARAM>(block.get()))) {
    block.release();
  }
}

void WindowInstallObserver::OnProgress(int32_t value) { PostMessageW(window_, WM_INSTALL_PROGRESS, 0, value); }

void WindowInstallObserver::OnError(ErrorMode mode, const wchar_t* text) {
  PostMessageW(window_, WM_INSTALL_ERROR, static_cast<WPARAM>(mode), reinterpret_cast<LPARAM>(text));
}

void WindowInstallObserver::OnFinished() { PostMessageW(window_, WM_INSTALL_FINISHED, 0, 0); }

void WindowInstallObserver::OnResult(ExitCode code) {
  PostMessageW(window_, WM_INSTALL_RESULT, static_cast<WPARAM>(code), 0);
}

#include "engine/testing/message_sink_window.h"

#include <cstdlib>

#include "common/product_names.h"
#include "common/text_convert.h"
#include "engine/install_messages.h"

MessageSinkWindow::MessageSinkWindow() {
  hwnd_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

MessageSinkWindow::~MessageSinkWindow() {
  Drain();  // frees narrow texts still queued
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

void MessageSinkWindow::Drain() {
  MSG msg;
  while (PeekMessageW(&msg, hwnd_, WM_USER, WM_USER + 0x7FFF, PM_REMOVE)) {
    PostedMessage posted{msg.message, msg.wParam, msg.lParam, std::wstring()};
    if (msg.message == WM_INSTALL_STATUS && msg.wParam == kStatusNarrow936) {
      char* narrow = reinterpret_cast<char*>(msg.lParam);
      posted.text = CodePageToWide(kStatusCodePage, narrow);
      std::free(narrow);
    } else if (msg.message == WM_INSTALL_STATUS || msg.message == WM_INSTALL_ERROR) {
      posted.text = reinterpret_cast<const wchar_t*>(msg.lParam);
    }
    messages_.push_back(posted);
  }
}

std::vector<LPARAM> MessageSinkWindow::ProgressValues() const {
  std::vector<LPARAM> values;
  for (const PostedMessage& m : messages_) {
    if (m.message == WM_INSTALL_PROGRESS) values.push_back(m.value);
  }
  return values;
}

#pragma once
// For engine tests: a hidden window that stands in for the wizard and records what the engine
// posts to it, in order, taking over the narrow texts that come with WM_INSTALL_STATUS.
#include <windows.h>

#include <string>
#include <vector>

struct PostedMessage {
  UINT message;
  WPARAM wparam;
  LPARAM value;       // the progress value, or the raw lParam
  std::wstring text;  // status or error text, wide or converted from code page 936
};

class MessageSinkWindow {
 public:
  MessageSinkWindow();
  ~MessageSinkWindow();
  MessageSinkWindow(const MessageSinkWindow&) = delete;
  MessageSinkWindow& operator=(const MessageSinkWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  // Takes every message already posted to the window (from any thread) into messages().
  void Drain();
  const std::vector<PostedMessage>& messages() const { return messages_; }
  // The progress values, in order.
  std::vector<LPARAM> ProgressValues() const;

 private:
  HWND hwnd_ = nullptr;
  std::vector<PostedMessage> messages_;
};

#pragma once
// What the toolkit's windows, managers and controls say to each other: the notification that
// reaches the window's code, the input event that reaches a control, and the interfaces a window
// or a page implements to take part.
#include <windows.h>

#include <cstdint>
#include <string>

namespace SkinUI {

// The toolkit's wide string. Wide texts go to the API as they are.
using CSkinString = std::wstring;

class CControlUI;

struct TNotifyUI {
  CSkinString type;            // "click", "windowinit", "killfocus", "setfocus", "tabselect"
  CSkinString virtualWindow;   // always empty: this program has no virtual windows
  CControlUI* sender = nullptr;
  DWORD timestamp = 0;         // GetTickCount when sent
  POINT mousePoint{};          // the manager's last mouse position
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

class INotifyUI {
 public:
  virtual void Notify(TNotifyUI& msg) = 0;

 protected:
  ~INotifyUI() = default;
};

// Sees every message of a window (and of its child windows) before it is dispatched; setting
// `handled` consumes it.
class IMessageFilterUI {
 public:
  virtual LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) = 0;

 protected:
  ~IMessageFilterUI() = default;
};

// Creates the controls for element names that the toolkit does not know (the installer's pages).
class ISkinBuilderCallback {
 public:
  virtual CControlUI* CreateControl(const wchar_t* element_name) = 0;

 protected:
  ~ISkinBuilderCallback() = default;
};

// Lets a window supply texts for controls by name; the installer's windows keep the skin's texts.
class IQueryControlText {
 public:
  virtual CSkinString QueryControlText(const wchar_t* control_name, const wchar_t* text) = 0;

 protected:
  ~IQueryControlText() = default;
};

// Input as a control sees it, in the window's client coordinates.
enum class EventType {
  kMouseMove,
  kMouseEnter,
  kMouseLeave,
  kButtonDown,
  kButtonUp,
  kDoubleClick,
  kKeyDown,
  kChar,
  kSetFocus,
  kKillFocus,
  kTimer,
};

struct TEventUI {
  EventType type = EventType::kMouseMove;
  CControlUI* sender = nullptr;
  DWORD timestamp = 0;
  POINT mousePoint{};
  WPARAM wParam = 0;   // the key for key events, the timer id for timers
  LPARAM lParam = 0;
};

}  // namespace SkinUI

// The notification area is a toolbar of the shell's process: each button carries, in the
// shell's memory, the owner window, id, callback message and icon of one icon. The buttons
// are read through scratch memory reserved in the shell's process, whose pointers may be
// twice as wide as ours (a 32-bit installer beside a 64-bit shell).
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdint>
#include <cstring>

#include "common/tray.h"
#include "entry/client_shutdown.h"

namespace {

constexpr DWORD kShellTimeoutMs = 2000;
constexpr size_t kScratchSize = 4096;
constexpr size_t kTextOffset = 64;  // a button of either width fits below

// The shell's layout of a toolbar button and of the icon record that the button's data points to.
struct ShellLayout {
  size_t button_size;
  size_t data_offset;
  size_t data_size;
  size_t record_size;
  size_t id_offset;
  size_t callback_offset;
  size_t icon_offset;
};
constexpr ShellLayout kShell64 = {32, 16, 8, 32, 8, 12, 24};
constexpr ShellLayout kShell32 = {20, 12, 4, 24, 4, 8, 20};

class ScratchMemory {
 public:
  ScratchMemory(HANDLE process, size_t size)
      : process_(process),
        address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
  ~ScratchMemory() {
    if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  ScratchMemory(const ScratchMemory&) = delete;
  ScratchMemory& operator=(const ScratchMemory&) = delete;

  char* Get() const { return static_cast<char*>(address_); }

 private:
  HANDLE process_;
  void* address_;
};

bool SendToShell(HWND toolbar, UINT message, WPARAM wparam, LPARAM lparam, DWORD_PTR* reply) {
  return SendMessageTimeoutW(toolbar, message, wparam, lparam, SMTO_ABORTIFHUNG, kShellTimeoutMs,
                             reply) != 0;
}

bool ReadShell(HANDLE shell, uint64_t address, void* buffer, size_t size) {
  if (address == 0 || address > UINTPTR_MAX) return false;  // out of this process's reach
  SIZE_T got = 0;
  return ReadProcessMemory(shell, reinterpret_cast<const void*>(static_cast<uintptr_t>(address)),
                           buffer, size, &got) &&
         got == size;
}

uint64_t Field(const unsigned char* bytes, size_t offset, size_t size) {
  uint64_t value = 0;
  std::memcpy(&value, bytes + offset, size);  // little-endian, as both layouts are
  return value;
}

bool IsWow64(HANDLE process) {
  BOOL wow64 = FALSE;
  return IsWow64Process(process, &wow64) && wow64;
}

const ShellLayout& LayoutOf(HANDLE shell) {
  const bool system_is_64_bit = sizeof(void*) == 8 || IsWow64(GetCurrentProcess());
  return system_is_64_bit && !IsWow64(shell) ? kShell64 : kShell32;
}

// The icon of button `index`, when its owner window belongs to process `client_id`.
bool ReadClientIcon(HWND toolbar, HANDLE shell, const ShellLayout& layout, char* scratch,
                    int index, DWORD client_id, NOTIFYICONDATAW* icon) {
  DWORD_PTR reply = 0;
  unsigned char button[32] = {};
  unsigned char record[32] = {};
  if (!SendToShell(toolbar, TB_GETBUTTON, index, reinterpret_cast<LPARAM>(scratch), &reply) || !reply ||
      !ReadShell(shell, reinterpret_cast<uintptr_t>(scratch), button, layout.button_size) ||
      !ReadShell(shell, Field(button, layout.data_offset, layout.data_size), record, layout.record_size)) {
    return false;
  }
  const HWND owner = reinterpret_cast<HWND>(static_cast<uintptr_t>(Field(record, 0, layout.data_size)));
  DWORD owner_process = 0;
  if (owner == nullptr || !GetWindowThreadProcessId(owner, &owner_process) || owner_process != client_id) {
    return false;
  }
  *icon = NOTIFYICONDATAW{};
  icon->cbSize = sizeof(*icon);
  icon->hWnd = owner;
  icon->uID = static_cast<UINT>(Field(record, layout.id_offset, 4));
  icon->uCallbackMessage = static_cast<UINT>(Field(record, layout.callback_offset, 4));
  icon->hIcon = reinterpret_cast<HICON>(static_cast<uintptr_t>(Field(record, layout.icon_offset, layout.data_size)));
  icon->uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  // The tip is the button's text; a text longer than a tip is left out rather than let the
  // shell write past the scratch memory.
  const int command = static_cast<int>(Field(button, 4, 4));
  if (SendToShell(toolbar, TB_GETBUTTONTEXTW, command, 0, &reply) &&
      static_cast<LONG_PTR>(reply) > 0 && reply < ARRAYSIZE(icon->szTip) &&
      SendToShell(toolbar, TB_GETBUTTONTEXTW, command, reinterpret_cast<LPARAM>(scratch + kTextOffset), &reply)) {
    ReadShell(shell, reinterpret_cast<uintptr_t>(scratch + kTextOffset), icon->szTip,
              (ARRAYSIZE(icon->szTip) - 1) * sizeof(wchar_t));
  }
  return true;
}

}  // namespace

void RemoveClientTrayIcons(ScopedHandle client, int icon_count) {
  const HWND toolbar = FindTrayToolbar();
  if (!client || toolbar == nullptr) return;
  const DWORD client_id = GetProcessId(client.Get());
  DWORD shell_id = 0;
  GetWindowThreadProcessId(toolbar, &shell_id);
  const ScopedHandle shell(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                           PROCESS_QUERY_INFORMATION,
                                       FALSE, shell_id));
  if (client_id == 0 || !shell) return;
  const ScratchMemory scratch(shell.Get(), kScratchSize);
  DWORD_PTR buttons = 0;
  if (scratch.Get() == nullptr || !SendToShell(toolbar, TB_BUTTONCOUNT, 0, 0, &buttons)) return;
  const ShellLayout& layout = LayoutOf(shell.Get());
  int removed = 0;
  // From the end, so that a removal does not shift the buttons still to be visited.
  for (int index = static_cast<int>(buttons) - 1; index >= 0; --index) {
    if (icon_count > 0 && removed == icon_count) break;
    NOTIFYICONDATAW icon;
    if (ReadClientIcon(toolbar, shell.Get(), layout, scratch.Get(), index, client_id, &icon) &&
        Shell_NotifyIconW(NIM_DELETE, &icon)) {
      ++removed;
    }
  }
}

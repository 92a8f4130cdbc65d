#pragma once
// Owners for Win32 handles: one move-only template, one traits type per kind of handle.
// Closing never disturbs GetLastError, so a caller may still read the error of the call that
// failed after the owner of some other handle went out of scope.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <utility>

template <class Traits>
class ScopedObject {
 public:
  using Handle = typename Traits::Handle;

  ScopedObject() = default;
  explicit ScopedObject(Handle handle) : handle_(handle) {}
  ~ScopedObject() { Close(); }

  ScopedObject(const ScopedObject&) = delete;
  ScopedObject& operator=(const ScopedObject&) = delete;
  ScopedObject(ScopedObject&& other) noexcept : handle_(other.Release()) {}
  ScopedObject& operator=(ScopedObject&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  bool IsValid() const { return Traits::IsValid(handle_); }
  explicit operator bool() const { return IsValid(); }
  Handle Get() const { return handle_; }

  // For out-parameters of API calls: closes what is held and hands out the slot.
  Handle* Receive() {
    Close();
    return &handle_;
  }

  Handle Release() { return std::exchange(handle_, Traits::NullHandle()); }
  void Reset(Handle handle = Traits::NullHandle()) {
    Close();
    handle_ = handle;
  }

 private:
  void Close() {
    if (Traits::IsValid(handle_)) {
      const DWORD saved_error = GetLastError();
      Traits::Close(handle_);
      SetLastError(saved_error);
    }
    handle_ = Traits::NullHandle();
  }

  Handle handle_ = Traits::NullHandle();
};

// Kernel objects: processes, threads, files, semaphores. Both null and INVALID_HANDLE_VALUE
// mean "none", since the API uses either, depending on the call.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle NullHandle() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { CloseHandle(h); }
};
using ScopedHandle = ScopedObject<KernelHandleTraits>;

struct RegistryKeyTraits {
  using Handle = HKEY;
  static Handle NullHandle() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { RegCloseKey(h); }
};
using ScopedRegKey = ScopedObject<RegistryKeyTraits>;

struct FindFileTraits {
  using Handle = HANDLE;
  static Handle NullHandle() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { FindClose(h); }
};
using ScopedFindHandle = ScopedObject<FindFileTraits>;

// Memory from the shell's task allocator (item lists, strings that the shell returns).
struct CoTaskMemTraits {
  using Handle = void*;
  static Handle NullHandle() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { CoTaskMemFree(h); }
};
using ScopedCoTaskMem = ScopedObject<CoTaskMemTraits>;

// Memory that the system hands out with LocalAlloc (security descriptors and the strings of
// their conversions).
struct LocalMemTraits {
  using Handle = HLOCAL;
  static Handle NullHandle() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { LocalFree(h); }
};
using ScopedLocalMem = ScopedObject<LocalMemTraits>;

// Strings of the COM automation allocator, for interfaces that take or return a BSTR.
struct SysStringTraits {
  using Handle = BSTR;
  static Handle NullHandle() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { SysFreeString(h); }
};
using ScopedBstr = ScopedObject<SysStringTraits>;

// GDI objects: fonts, bitmaps, brushes. An object is deleted only after it was selected out of
// every device context (ScopedSelection), so declare its owner before the selection's.
struct GdiObjectTraits {
  using Handle = HGDIOBJ;
  static Handle NullHandle() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { DeleteObject(h); }
};
using ScopedGdiObject = ScopedObject<GdiObjectTraits>;

// Memory device contexts of CreateCompatibleDC.
struct MemoryDcTraits {
  using Handle = HDC;
  static Handle NullHandle() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { DeleteDC(h); }
};
using ScopedMemoryDc = ScopedObject<MemoryDcTraits>;

// Selects a GDI object into a device context and selects the one it replaced back in at the
// end of the scope, so that the object can be deleted and the context left as it was found.
class ScopedSelection {
 public:
  ScopedSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~ScopedSelection() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  ScopedSelection(const ScopedSelection&) = delete;
  ScopedSelection& operator=(const ScopedSelection&) = delete;

  // False when the object could not be selected.
  bool IsValid() const { return previous_ != nullptr && previous_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// Modules loaded at run time for a function that older systems lack.
struct LibraryTraits {
  using Handle = HMODULE;
  static Handle NullHandle() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { FreeLibrary(h); }
};
using ScopedLibrary = ScopedObject<LibraryTraits>;

// A window's device context (the screen's for no window), released to the window it came from.
class ScopedGetDc {
 public:
  explicit ScopedGetDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~ScopedGetDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  ScopedGetDc(const ScopedGetDc&) = delete;
  ScopedGetDc& operator=(const ScopedGetDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

#pragma once
// COM on the calling thread for the length of one operation, OLE on a window thread, and the
// owners of a COM pointer and of a VARIANT.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

// Initialises a single-threaded apartment. A thread that already runs another concurrency
// model (RPC_E_CHANGED_MODE) may still use COM, but must not uninitialise what it did not
// initialise.
class ScopedComApartment {
 public:
  ScopedComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ScopedComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ScopedComApartment(const ScopedComApartment&) = delete;
  ScopedComApartment& operator=(const ScopedComApartment&) = delete;

  bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }
  HRESULT result() const { return result_; }

 private:
  HRESULT result_;
};

// OLE on a window thread for as long as its windows live: the folder browser's new-style dialog
// (and the shell's drag and drop and clipboard in it) needs a single-threaded apartment with OLE
// on the thread that shows it.
class ScopedOleApartment {
 public:
  ScopedOleApartment() : result_(OleInitialize(nullptr)) {}
  ~ScopedOleApartment() {
    if (SUCCEEDED(result_)) OleUninitialize();
  }
  ScopedOleApartment(const ScopedOleApartment&) = delete;
  ScopedOleApartment& operator=(const ScopedOleApartment&) = delete;

  HRESULT result() const { return result_; }

 private:
  HRESULT result_;
};

// A VARIANT argument of an automation call, cleared (its string freed) when it goes.
class ScopedVariant {
 public:
  // Empty: an optional argument left out.
  ScopedVariant() { VariantInit(&value_); }
  // A string; stays empty when the string cannot be allocated, which `Holds` tells.
  explicit ScopedVariant(const wchar_t* text) : ScopedVariant() {
    if (BSTR copy = SysAllocString(text)) {
      V_VT(&value_) = VT_BSTR;
      V_BSTR(&value_) = copy;
    }
  }
  explicit ScopedVariant(LONG number) : ScopedVariant() {
    V_VT(&value_) = VT_I4;
    V_I4(&value_) = number;
  }
  ~ScopedVariant() { VariantClear(&value_); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;

  bool Holds(VARTYPE type) const { return V_VT(&value_) == type; }
  // By value for the calls that take it so; the callee borrows what it points to.
  const VARIANT& Get() const { return value_; }
  // For calls that take an input VARIANT through a non-const pointer.
  VARIANT* Pointer() { return &value_; }

 private:
  VARIANT value_;
};

#pragma once
// COM on the calling thread for the length of one operation, and the owner of a COM pointer.
#include <windows.h>
#include <objbase.h>
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

// Makes a Wine prefix trust the local services' private test root: adds the DER certificate
// named on the command line to the machine's "Root" store. Test prefixes only.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "common/scoped_handle.h"

namespace {

struct CertificateStoreTraits {
  using Handle = HCERTSTORE;
  static Handle NullHandle() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { CertCloseStore(h, 0); }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: trust-test-root ROOT.der\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::string der((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (der.empty()) {
    std::fprintf(stderr, "trust-test-root: cannot read %ls\n", argv[1]);
    return 1;
  }
  const ScopedObject<CertificateStoreTraits> store(
      CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root"));
  if (!store) {
    std::fprintf(stderr, "trust-test-root: no Root store (error %lu)\n", GetLastError());
    return 1;
  }
  if (!CertAddEncodedCertificateToStore(store.Get(), X509_ASN_ENCODING,
                                        reinterpret_cast<const BYTE*>(der.data()),
                                        static_cast<DWORD>(der.size()),
                                        CERT_STORE_ADD_REPLACE_EXISTING, nullptr)) {
    std::fprintf(stderr, "trust-test-root: not added (error %lu)\n", GetLastError());
    return 1;
  }
  return 0;
}

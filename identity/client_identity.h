#pragma once
// The identity values that stay the same for a whole run: the local address (looked up until
// a lookup succeeds) and the run identifier (made once).
#include <functional>

#include "common/shared_string.h"

class ClientIdentity {
 public:
  using Provider = std::function<String8()>;

  ClientIdentity(Provider local_ip, Provider run_id);
  ClientIdentity(const ClientIdentity&) = delete;
  ClientIdentity& operator=(const ClientIdentity&) = delete;

  // The process-wide identity over GetLocalIp and NewGuidText (Windows only); created on first
  // use from any thread, destroyed at process exit.
  static ClientIdentity& Instance();

  // Both values are cached once non-empty; an empty value asks its provider again.
  String8 LocalIp();
  String8 RunId();

 private:
  static String8 Cached(String8& cache, const Provider& provider);

  Provider local_ip_provider_;
  Provider run_id_provider_;
  String8 local_ip_;
  String8 run_id_;
};

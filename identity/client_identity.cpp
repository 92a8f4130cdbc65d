#include "identity/client_identity.h"

#include <utility>

ClientIdentity::ClientIdentity(Provider local_ip, Provider run_id)
    : local_ip_provider_(std::move(local_ip)), run_id_provider_(std::move(run_id)) {}

String8 ClientIdentity::Cached(String8& cache, const Provider& provider) {
  if (cache.IsEmpty()) cache = provider();
  return cache;
}

String8 ClientIdentity::LocalIp() { return Cached(local_ip_, local_ip_provider_); }

String8 ClientIdentity::RunId() { return Cached(run_id_, run_id_provider_); }

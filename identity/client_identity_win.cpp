#include "identity/client_identity.h"
#include "identity/guid_text.h"
#include "identity/machine_values.h"

ClientIdentity& ClientIdentity::Instance() {
  static ClientIdentity identity(GetLocalIp, NewGuidText);
  return identity;
}

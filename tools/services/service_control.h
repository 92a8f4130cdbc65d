#pragma once
// Test-side access to the control endpoint of tools/services/bokrin-services (HTTP on
// 127.0.0.1:8080): a test states the reply variant it needs and reads back what a service
// received. Plain sockets, so that it works the same under Wine and natively.
#include <string>

namespace services {

// One request to the control endpoint. False when it cannot be reached or answers other
// than 200; the body of the answer goes to `reply` when given.
bool Control(const std::string& method, const std::string& path_and_query,
             const std::string& body = std::string(), std::string* reply = nullptr);

// Reply variant of one service ("version", "package", "vendor-dns", "public-dns");
// `custom_body` is the reply body for the variant "custom".
bool SetMode(const std::string& service, const std::string& variant,
             const std::string& custom_body = std::string());

// The certificate the HTTPS server shows from now on (bokrin-services: "good", "expired",
// "other-name", "self-signed", "untrusted-root", ...), or "no-handshake"; Reset restores "good".
bool SetCertificate(const std::string& kind);

// The bytes of the last request that the service received; empty when none.
std::string LastRequest(const std::string& service);

// Back to the normal replies, with the counters and recorded requests cleared.
bool Reset();

// Number of connections the HTTPS server (version service and package host) accepted since
// the last Reset; -1 when the control endpoint cannot be reached.
int HttpsConnections();

// Number of requests one service ("version", "package", ...) received since the last Reset;
// -1 when the control endpoint cannot be reached.
long long Requests(const std::string& service);

// What the HTTPS server made of its connections since the last Reset: handshakes done and
// failed, and the bytes it received after a handshake (a request head or anything else).
// Each is -1 when the control endpoint cannot be reached.
struct TlsCounts {
  long long handshakes = -1;
  long long failedHandshakes = -1;
  long long requestBytes = -1;
};
TlsCounts HttpsTls();

// Package body bytes the HTTPS server sent since the last Reset; -1 when the control
// endpoint cannot be reached.
long long PackageBytesServed();

// The services' state directory (under Windows as Wine shows it: "Z:\\..."); packages
// below it in "packages" are served at https://<any host>/packages/<name>.
std::string StateDir();

}  // namespace services

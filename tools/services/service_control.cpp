#include "tools/services/service_control.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cstdlib>

namespace services {
namespace {

#ifdef _WIN32
using Socket = SOCKET;
constexpr Socket kNoSocket = INVALID_SOCKET;
void CloseSocket(Socket s) { closesocket(s); }
struct SocketLayer {
  SocketLayer() {
    WSADATA data;
    ok = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  ~SocketLayer() {
    if (ok) WSACleanup();
  }
  bool ok = false;
};
#else
using Socket = int;
constexpr Socket kNoSocket = -1;
void CloseSocket(Socket s) { close(s); }
struct SocketLayer {
  bool ok = true;
};
#endif

class Connection {
 public:
  Connection() : socket_(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) {}
  ~Connection() {
    if (socket_ != kNoSocket) CloseSocket(socket_);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool Open() {
    if (socket_ == kNoSocket) return false;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(8080);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  bool SendAll(const std::string& data) {
    for (size_t sent = 0; sent < data.size();) {
      const int n = send(socket_, data.data() + sent, static_cast<int>(data.size() - sent), 0);
      if (n <= 0) return false;
      sent += static_cast<size_t>(n);
    }
    return true;
  }
  std::string ReceiveAll() {
    std::string data;
    char buffer[4096];
    for (;;) {
      const int n = recv(socket_, buffer, sizeof buffer, 0);
      if (n <= 0) return data;
      data.append(buffer, static_cast<size_t>(n));
    }
  }

 private:
  Socket socket_;
};

}  // namespace

bool Control(const std::string& method, const std::string& path_and_query,
             const std::string& body, std::string* reply) {
  SocketLayer layer;
  Connection connection;
  if (!layer.ok || !connection.Open()) return false;
  const std::string request = method + " " + path_and_query +
                              " HTTP/1.0\r\nHost: 127.0.0.1\r\nContent-Length: " +
                              std::to_string(body.size()) + "\r\n\r\n" + body;
  if (!connection.SendAll(request)) return false;
  const std::string response = connection.ReceiveAll();
  const size_t head_end = response.find("\r\n\r\n");
  if (head_end == std::string::npos || response.compare(9, 3, "200") != 0) return false;
  if (reply) *reply = response.substr(head_end + 4);
  return true;
}

bool SetMode(const std::string& service, const std::string& variant,
             const std::string& custom_body) {
  return Control("POST", "/mode?service=" + service + "&variant=" + variant, custom_body);
}

bool SetCertificate(const std::string& kind) { return Control("POST", "/certificate?kind=" + kind); }

std::string LastRequest(const std::string& service) {
  std::string reply;
  Control("GET", "/last-request?service=" + service, std::string(), &reply);
  return reply;
}

bool Reset() { return Control("POST", "/reset"); }

namespace {

// The current /stats; empty when it cannot be read.
std::string Stats() {
  std::string stats;
  return Control("GET", "/stats", std::string(), &stats) ? stats : std::string();
}

// One number of a /stats text, by its key; -1 when it is not there.
long long StatsNumber(const std::string& stats, const std::string& name) {
  const std::string key = "\"" + name + "\": ";
  const size_t at = stats.find(key);
  return at == std::string::npos ? -1 : std::atoll(stats.c_str() + at + key.size());
}

}  // namespace

int HttpsConnections() { return static_cast<int>(StatsNumber(Stats(), "https")); }

// The request counts come first in /stats, before the modes that name the services again.
long long Requests(const std::string& service) { return StatsNumber(Stats(), service); }

long long PackageBytesServed() { return StatsNumber(Stats(), "package_bytes"); }

TlsCounts HttpsTls() {
  // One reading, so that the three numbers belong together.
  const std::string stats = Stats();
  TlsCounts counts;
  counts.handshakes = StatsNumber(stats, "handshakes");
  counts.failedHandshakes = StatsNumber(stats, "failed_handshakes");
  counts.requestBytes = StatsNumber(stats, "request_bytes");
  return counts;
}

std::string StateDir() {
  std::string dir;
  if (!Control("GET", "/state-dir", std::string(), &dir)) return std::string();
#ifdef _WIN32
  for (char& c : dir) {
    if (c == '/') c = '\\';
  }
  dir = "Z:" + dir;
#endif
  return dir;
}

}  // namespace services

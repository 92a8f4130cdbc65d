#pragma once
// A small HTTP/1.1 client on plain Windows sockets, for the HTTP DNS services. It returns the
// raw response text (status line and headers included) of a GET, up to 4096 bytes.
//
// Every CCommPort holds one reference on the socket layer from construction to destruction,
// so keeping any client object alive keeps host-name lookups working.
#include <winsock2.h>
#include <windows.h>

#include <memory>
#include <string>

#include "common/scoped_handle.h"

struct SocketTraits {
  using Handle = SOCKET;
  static Handle NullHandle() { return INVALID_SOCKET; }
  static bool IsValid(Handle socket) { return socket != INVALID_SOCKET; }
  static void Close(Handle socket) { closesocket(socket); }
};
using ScopedSocket = ScopedObject<SocketTraits>;

class CCommPort {
 public:
  CCommPort();
  virtual ~CCommPort();
  CCommPort(const CCommPort&) = delete;
  CCommPort& operator=(const CCommPort&) = delete;

 private:
  bool m_bStarted;
};

class CHttpPort : public CCommPort {
 public:
  // Connecting, sending and receiving are each bounded by this, so that a service that does
  // not answer cannot hold up the installation.
  static constexpr DWORD kTimeoutMs = 3000;

  CHttpPort() = default;

  // 1: success, the NUL-terminated response text is in *response; 0: the URL is missing,
  // empty or longer than 2084 characters; -2: any later failure. *response is written only
  // on success.
  int Get(const char* url, std::unique_ptr<char[]>* response);
  int SendRequest(const char* method, const char* url, std::unique_ptr<char[]>* response);

 private:
  int Exchange(const char* method, const char* url, std::unique_ptr<char[]>* response);
  bool Connect(const sockaddr_in& address);
  bool SendAll(const std::string& request);
  bool Receive(std::string* response);
  void CloseSocket();

  ScopedSocket m_hSocket;  // the connection of the request in progress; none between requests
};

// One GET through a short-lived CHttpPort, in the shape the HTTP DNS resolver asks for: true
// with the response text on success.
bool HttpPortGet(const std::string& url, std::string* response);

// The dotted IPv4 address for the host part of a URL (up to its first ":"): the text itself
// when it is an address, otherwise the first address of a host-name lookup; empty when there
// is none.
std::string ResolveHostAddress(const std::string& host_port);

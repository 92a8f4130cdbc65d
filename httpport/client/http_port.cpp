#include "httpport/client/http_port.h"

#include <ws2tcpip.h>

#include <cstring>
#include <string>

#include "httpport/client/http_request_text.h"

namespace {

// Milliseconds left until `deadline` (a GetTickCount value), 0 when it has passed.
DWORD Remaining(DWORD deadline) {
  const DWORD now = GetTickCount();
  const LONG left = static_cast<LONG>(deadline - now);
  return left > 0 ? static_cast<DWORD>(left) : 0;
}

// Waits until the socket can be read (or, with `for_write`, written) or the deadline passes.
bool WaitFor(SOCKET socket, bool for_write, DWORD deadline) {
  fd_set ready, failed;
  FD_ZERO(&ready);
  FD_ZERO(&failed);
  FD_SET(socket, &ready);
  FD_SET(socket, &failed);
  const DWORD left = Remaining(deadline);
  timeval timeout = {static_cast<long>(left / 1000), static_cast<long>(left % 1000 * 1000)};
  const int count = select(0, for_write ? nullptr : &ready, for_write ? &ready : nullptr, &failed, &timeout);
  return count > 0 && FD_ISSET(socket, &ready);
}

}  // namespace

CCommPort::CCommPort() {
  WSADATA data;
  m_bStarted = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

CCommPort::~CCommPort() {
  if (m_bStarted) WSACleanup();
}

int CHttpPort::Get(const char* url, std::unique_ptr<char[]>* response) {
  return SendRequest("GET", url, response);
}

int CHttpPort::SendRequest(const char* method, const char* url, std::unique_ptr<char[]>* response) {
  const int result = Exchange(method, url, response);
  CloseSocket();
  return result;
}

int CHttpPort::Exchange(const char* method, const char* url, std::unique_ptr<char[]>* response) {
  if (url == nullptr || url[0] == '\0' || std::strlen(url) > kMaxRequestUrlLength) return 0;
  const std::string request = BuildRequestText(method, url);
  m_hSocket.Reset(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (!m_hSocket) return -2;

  const std::string host_port = ExtractHostPort(url);
  const int port = ParsePort(host_port);
  if (port < 0 || port > 65535) return -2;
  const std::string address_text = ResolveHostAddress(host_port);
  if (address_text.empty()) return -2;
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  if (inet_pton(AF_INET, address_text.c_str(), &address.sin_addr) != 1) return -2;

  std::string text;
  if (!Connect(address) || !SendAll(request) || !Receive(&text)) return -2;
  auto copy = std::make_unique<char[]>(text.size() + 1);
  std::memcpy(copy.get(), text.c_str(), text.size() + 1);
  *response = std::move(copy);
  return 1;
}

bool CHttpPort::Connect(const sockaddr_in& address) {
  u_long non_blocking = 1;
  if (ioctlsocket(m_hSocket.Get(), FIONBIO, &non_blocking) != 0) return false;
  if (connect(m_hSocket.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return true;
  if (WSAGetLastError() != WSAEWOULDBLOCK) return false;
  if (!WaitFor(m_hSocket.Get(), true, GetTickCount() + kTimeoutMs)) return false;
  int error = 0;
  int length = sizeof error;
  return getsockopt(m_hSocket.Get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) == 0 &&
         error == 0;
}

bool CHttpPort::SendAll(const std::string& request) {
  const DWORD deadline = GetTickCount() + kTimeoutMs;
  size_t sent = 0;
  while (sent < request.size()) {
    const int count = send(m_hSocket.Get(), request.data() + sent, static_cast<int>(request.size() - sent), 0);
    if (count > 0) {
      sent += static_cast<size_t>(count);
    } else if (WSAGetLastError() != WSAEWOULDBLOCK || !WaitFor(m_hSocket.Get(), true, deadline)) {
      return false;
    }
  }
  return true;
}

// Reads until the response is whole, the buffer is full, the peer closes or the time is up,
// so that a reply whose body comes in a later segment than its headers is not cut off. What
// arrived counts; nothing at all is a failure.
bool CHttpPort::Receive(std::string* response) {
  const DWORD deadline = GetTickCount() + kTimeoutMs;
  char buffer[kMaxResponseLength];
  while (response->size() < kMaxResponseLength && !ResponseComplete(*response)) {
    if (!WaitFor(m_hSocket.Get(), false, deadline)) break;
    const int count = recv(m_hSocket.Get(), buffer, static_cast<int>(kMaxResponseLength - response->size()), 0);
    if (count > 0) {
      response->append(buffer, static_cast<size_t>(count));
    } else if (count == 0 || WSAGetLastError() != WSAEWOULDBLOCK) {
      break;
    }
  }
  return !response->empty();
}

void CHttpPort::CloseSocket() { m_hSocket.Reset(); }

bool HttpPortGet(const std::string& url, std::string* response) {
  CHttpPort port;
  std::unique_ptr<char[]> text;
  if (port.Get(url.c_str(), &text) != 1) return false;
  *response = text.get();
  return true;
}

std::string ResolveHostAddress(const std::string& host_port) {
  const std::string host = HostWithoutPort(host_port);
  if (host.empty()) return std::string();
  if (LooksLikeIpv4(host)) return host;
  const hostent* entry = gethostbyname(host.c_str());
  if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_addr_list == nullptr ||
      entry->h_addr_list[0] == nullptr) {
    return std::string();
  }
  in_addr first;
  std::memcpy(&first, entry->h_addr_list[0], sizeof first);
  return inet_ntoa(first);
}

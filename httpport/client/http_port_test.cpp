#include "httpport/client/http_port.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "httpport/client/http_request_text.h"

namespace {

using Clock = std::chrono::steady_clock;

// What the scripted server does after it has read the request head.
struct Step {
  enum Kind { kSend, kPause, kStall } kind;
  std::string data;  // kSend
  int milliseconds;  // kPause
};
Step Send(std::string data) { return Step{Step::kSend, std::move(data), 0}; }
Step Pause(int milliseconds) { return Step{Step::kPause, std::string(), milliseconds}; }
Step Stall() { return Step{Step::kStall, std::string(), 0}; }

// A one-connection HTTP server on 127.0.0.1 with a free port: it records the request head,
// plays its steps and closes the connection. A stall lasts until the server is destroyed.
class ScriptedServer {
 public:
  explicit ScriptedServer(std::vector<Step> steps) : steps_(std::move(steps)) {
    listener_.Reset(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (bind(listener_.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_.Get(), 1) != 0 ||
        getsockname(listener_.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      ADD_FAILURE() << "cannot listen: " << WSAGetLastError();
      return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }

  ~ScriptedServer() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    stop_.notify_all();
    if (thread_.joinable()) thread_.join();
  }

  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  int port() const { return port_; }

  // Waits for the connection to end; the request head as received, empty when none came.
  std::string Request() {
    std::unique_lock<std::mutex> lock(mutex_);
    stop_.wait_for(lock, std::chrono::seconds(10), [this] { return served_; });
    return request_;
  }
  bool Connected() {
    std::lock_guard<std::mutex> lock(mutex_);
    return connected_;
  }

 private:
  void Serve() {
    if (!AwaitConnection()) return;
    ScopedSocket client(accept(listener_.Get(), nullptr, nullptr));
    {
      std::lock_guard<std::mutex> lock(mutex_);
      connected_ = true;
    }
    std::string request;
    char buffer[8192];
    while (request.find("\r\n\r\n") == std::string::npos && Readable(client.Get(), 5000)) {
      const int count = recv(client.Get(), buffer, sizeof buffer, 0);
      if (count <= 0) break;
      request.append(buffer, count);
    }
    for (const Step& step : steps_) {
      if (step.kind == Step::kSend) {
        send(client.Get(), step.data.data(), static_cast<int>(step.data.size()), 0);
      } else if (step.kind == Step::kPause) {
        std::this_thread::sleep_for(std::chrono::milliseconds(step.milliseconds));
      } else {
        std::unique_lock<std::mutex> lock(mutex_);
        stop_.wait_for(lock, std::chrono::seconds(20), [this] { return stopping_; });
      }
    }
    client.Reset();
    std::lock_guard<std::mutex> lock(mutex_);
    request_ = request;
    served_ = true;
    stop_.notify_all();
  }

  // Polls, so that a server that never gets its connection can still be stopped.
  bool AwaitConnection() {
    for (int waited = 0; waited < 10000; waited += 100) {
      if (Readable(listener_.Get(), 100)) return true;
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopping_) return false;
    }
    return false;
  }

  static bool Readable(SOCKET socket, int milliseconds) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    timeval timeout = {milliseconds / 1000, milliseconds % 1000 * 1000};
    return select(0, &set, nullptr, nullptr, &timeout) == 1;
  }

  CCommPort socket_layer_;
  ScopedSocket listener_;
  std::vector<Step> steps_;
  int port_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable stop_;
  bool stopping_ = false;
  bool connected_ = false;
  bool served_ = false;
  std::string request_;
};

std::string Reply(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\n\r\n" + body;
}

TEST(HttpPortTest, SendsRequestLineAndHeadersAndReturnsTheResponse) {
  ScriptedServer server({Send(Reply("{\"retCode\":0}"))});
  CHttpPort port;
  std::unique_ptr<char[]> response;
  ASSERT_EQ(port.Get(server.Url("/d?dn=storage1.bokrin.invalid").c_str(), &response), 1);
  EXPECT_STREQ(response.get(), Reply("{\"retCode\":0}").c_str());
  EXPECT_EQ(server.Request(),
            "GET /d?dn=storage1.bokrin.invalid HTTP/1.1\r\n"
            "Accept: */*\r\n"
            "Accept-Language: cn\r\n"
            "User-Agent: Mozilla/4.0\r\n"
            "Host: 127.0.0.1:" + std::to_string(server.port()) + "\r\n"
            "Cache-Control: no-cache\r\n"
            "Connection: Keep-Alive\r\n"
            "\r\n");
}

TEST(HttpPortTest, PortWithoutPathRequestsTheRoot) {
  ScriptedServer server({Send(Reply("ok"))});
  CHttpPort port;
  std::unique_ptr<char[]> response;
  ASSERT_EQ(port.Get(server.Url("").c_str(), &response), 1);
  const std::string request = server.Request();
  EXPECT_EQ(request.substr(0, request.find("\r\n")), "GET / HTTP/1.1");
  EXPECT_NE(request.find("\r\nHost: 127.0.0.1:" + std::to_string(server.port()) + "\r\n"), std::string::npos);
}

TEST(HttpPortTest, UrlOfTheLongestLengthIsSentAndOneMoreIsRefused) {
  ScriptedServer server({Send(Reply("ok"))});
  std::string url = server.Url("/");
  url += std::string(kMaxRequestUrlLength - url.size(), 'a');
  ASSERT_EQ(url.size(), 2084u);
  CHttpPort port;
  std::unique_ptr<char[]> response;
  EXPECT_EQ(port.Get((url + "a").c_str(), &response), 0);
  EXPECT_EQ(response, nullptr);
  EXPECT_FALSE(server.Connected());
  EXPECT_EQ(port.Get(url.c_str(), &response), 1);
  EXPECT_NE(server.Request().find("GET " + url.substr(url.find('/', 7)) + " HTTP/1.1\r\n"), std::string::npos);
}

TEST(HttpPortTest, MissingOrEmptyUrlIsRefused) {
  CHttpPort port;
  std::unique_ptr<char[]> response;
  EXPECT_EQ(port.Get(nullptr, &response), 0);
  EXPECT_EQ(port.Get("", &response), 0);
  EXPECT_EQ(response, nullptr);
}

TEST(HttpPortTest, ResponseArrivingInPiecesIsReadWhole) {
  const std::string reply = Reply("{\"retCode\":0,\"data\":[]}");
  const size_t body = reply.find("\r\n\r\n") + 4;
  ScriptedServer server({Send(reply.substr(0, body)), Pause(200), Send(reply.substr(body, 5)), Pause(100),
                         Send(reply.substr(body + 5)), Stall()});
  CHttpPort port;
  std::unique_ptr<char[]> response;
  const auto start = Clock::now();
  ASSERT_EQ(port.Get(server.Url("/v1/d?dn=a").c_str(), &response), 1);
  EXPECT_STREQ(response.get(), reply.c_str());
  // Complete by its Content-Length: no waiting for the (kept-alive) connection to end.
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2000));
}

TEST(HttpPortTest, ResponseLargerThanTheBufferIsCut) {
  std::string body(6000, 'x');
  for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>('a' + i % 26);
  const std::string reply = Reply(body);
  ScriptedServer server({Send(reply)});
  CHttpPort port;
  std::unique_ptr<char[]> response;
  ASSERT_EQ(port.Get(server.Url("/").c_str(), &response), 1);
  EXPECT_EQ(std::string(response.get()), reply.substr(0, kMaxResponseLength));
}

TEST(HttpPortTest, ResponseWithoutLengthEndsWhenThePeerCloses) {
  ScriptedServer server({Send("HTTP/1.0 200 OK\r\n\r\n1.2.3.4"), Pause(200), Send(";5.6.7.8,600")});
  CHttpPort port;
  std::unique_ptr<char[]> response;
  ASSERT_EQ(port.Get(server.Url("/d?dn=x").c_str(), &response), 1);
  EXPECT_STREQ(response.get(), "HTTP/1.0 200 OK\r\n\r\n1.2.3.4;5.6.7.8,600");
}

struct FailureCase {
  const char* name;
  std::vector<Step> steps;
};

class HttpPortFailureTest : public testing::TestWithParam<FailureCase> {};

// Whatever goes wrong, the call comes back within the time-outs with -2 and no response.
TEST_P(HttpPortFailureTest, FailsWithinTheTimeLimit) {
  ScriptedServer server(GetParam().steps);
  CHttpPort port;
  std::unique_ptr<char[]> response;
  const auto start = Clock::now();
  EXPECT_EQ(port.Get(server.Url("/d?dn=x").c_str(), &response), -2);
  EXPECT_EQ(response, nullptr);
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(CHttpPort::kTimeoutMs + 1500));
}

INSTANTIATE_TEST_SUITE_P(Servers, HttpPortFailureTest,
                         testing::Values(FailureCase{"ClosesWithoutData", {}},
                                         FailureCase{"NeverAnswers", {Stall()}}),
                         [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

// A port that nothing listens on: bound once and given back.
int UnusedPort() {
  CCommPort socket_layer;
  ScopedSocket probe(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  bind(probe.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(probe.Get(), reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

TEST(HttpPortTest, UnreachableOrInvalidTargetsFail) {
  const int free_port = UnusedPort();
  CHttpPort port;
  std::unique_ptr<char[]> response;
  for (const std::string url : {"http://127.0.0.1:" + std::to_string(free_port) + "/", std::string("http://127.0.0.1:70000/"),
                                std::string("http://127.0.0.1:-1/"), std::string("http://host.bokrin.invalid/d"),
                                std::string("http://1.2.3/d"), std::string("http://:80/d")}) {
    EXPECT_EQ(port.Get(url.c_str(), &response), -2) << url;
  }
  EXPECT_EQ(response, nullptr);
}

TEST(ResolveHostAddressTest, AddressesAreKeptAndNamesLookedUp) {
  CCommPort socket_layer;
  EXPECT_EQ(ResolveHostAddress("192.0.2.1:8080"), "192.0.2.1");
  EXPECT_EQ(ResolveHostAddress("localhost"), "127.0.0.1");
  EXPECT_EQ(ResolveHostAddress("host.bokrin.invalid"), "");
  EXPECT_EQ(ResolveHostAddress(":80"), "");
}

// The socket layer stays up while any client object lives and goes down with the last one.
TEST(CCommPortTest, SocketLayerFollowsTheLiveObjects) {
  auto socket_works = [] {
    ScopedSocket probe(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    return probe.IsValid();
  };
  ASSERT_FALSE(socket_works()) << "the socket layer was started outside the clients";
  {
    CHttpPort outer;
    {
      CHttpPort inner;
      EXPECT_TRUE(socket_works());
    }
    EXPECT_TRUE(socket_works());
  }
  EXPECT_FALSE(socket_works());
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
}

}  // namespace

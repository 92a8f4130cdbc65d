#include "httpport/client/winhttp_client.h"

#include <windows.h>
#include <wincrypt.h>
#include <winhttp.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <io.h>
#include <memory>
#include <new>

#include "common/heap_block.h"
#include "common/scoped_handle.h"
#include "common/setup_log.h"
#include "common/system_failure.h"
#include "httpport/client/content_range.h"
#include "httpport/client/host_header.h"
#include "httpport/client/network_limits.h"

namespace {

// winhttp.h cannot sit beside wininet.h, which other modules need, so the owner for its
// handles lives here rather than in the shared header.
struct WinHttpHandleTraits {
  using Handle = HINTERNET;
  static Handle NullHandle() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { WinHttpCloseHandle(h); }
};
using ScopedInternet = ScopedObject<WinHttpHandleTraits>;

struct CertificateTraits {
  using Handle = PCCERT_CONTEXT;
  static Handle NullHandle() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { CertFreeCertificateContext(h); }
};
using ScopedCertificate = ScopedObject<CertificateTraits>;

struct CertificateChainTraits {
  using Handle = PCCERT_CHAIN_CONTEXT;
  static Handle NullHandle() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { CertFreeCertificateChain(h); }
};
using ScopedCertificateChain = ScopedObject<CertificateChainTraits>;

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};

constexpr DWORD kChunkSize = 4096;
constexpr size_t kFileBufferSize = 1 << 20;
// Old PCs often have wrong clocks.
constexpr DWORD kToleratedTrustErrors =
    CERT_TRUST_IS_NOT_TIME_VALID | CERT_TRUST_IS_NOT_TIME_NESTED | CERT_TRUST_CTL_IS_NOT_TIME_VALID;

// The Content-Length header as the run-time library reads it; false when there is none.
bool QueryContentLength(HINTERNET request, uint64_t* value) {
  wchar_t text[32] = {};
  DWORD size = sizeof text;
  if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX,
                           text, &size, WINHTTP_NO_HEADER_INDEX)) {
    return false;
  }
  *value = _wcstoui64(text, nullptr, 10);
  return true;
}

// A header's text; false when the reply has none.
bool QueryHeaderText(HINTERNET request, DWORD query, WString* value) {
  DWORD size = 0;
  WinHttpQueryHeaders(request, query, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &size,
                      WINHTTP_NO_HEADER_INDEX);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return false;
  std::wstring text(size / sizeof(wchar_t), L'\0');
  if (!WinHttpQueryHeaders(request, query, WINHTTP_HEADER_NAME_BY_INDEX, &text[0], &size,
                           WINHTTP_NO_HEADER_INDEX)) {
    return false;
  }
  text.resize(size / sizeof(wchar_t));
  *value = text;
  return true;
}

uint32_t QueryStatusCode(HINTERNET request) {
  DWORD status = 0;
  DWORD size = sizeof status;
  WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                      &status, &size, WINHTTP_NO_HEADER_INDEX);
  return status;
}

// What identifies the file a 200 reply carries, for a later request of its rest: the ETag,
// else Last-Modified; empty for any other reply, whose bytes cannot be continued.
WString ReplyValidator(HINTERNET request, uint32_t status) {
  WString validator;
  if (status == 200 && !QueryHeaderText(request, WINHTTP_QUERY_ETAG, &validator)) {
    QueryHeaderText(request, WINHTTP_QUERY_LAST_MODIFIED, &validator);
  }
  return validator;
}

// Cuts the file to `size` bytes and writes on from there.
bool PlaceFileEnd(FILE* file, uint64_t size) {
  return std::fflush(file) == 0 && _chsize_s(_fileno(file), static_cast<long long>(size)) == 0 &&
         _fseeki64(file, static_cast<long long>(size), SEEK_SET) == 0;
}

// Settles where the body of a file reply goes before its first byte: after the kept bytes
// when the reply continues them, at the start when it is the whole file. Sets `base` to the
// bytes that stay in front of the body. False when the reply is of no use.
bool PlaceFileBody(HINTERNET request, ResponseSink* sink, bool has_length, uint64_t length, uint32_t* base) {
  FileResume* resume = sink->resume;
  FILE* file = static_cast<FILE*>(sink->target);
  *base = 0;
  const uint32_t status = QueryStatusCode(request);
  if (resume->kept == 0) {
    resume->validator = ReplyValidator(request, status);
    return true;
  }
  WString content_range;
  QueryHeaderText(request, WINHTTP_QUERY_CONTENT_RANGE, &content_range);
  std::string range_text;
  for (const wchar_t c : content_range) range_text.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  switch (JudgeRangeReply(status, range_text, has_length, length, resume->kept)) {
    case RangeReply::kAppend:
      *base = static_cast<uint32_t>(resume->kept);
      return PlaceFileEnd(file, resume->kept);
    case RangeReply::kStartOver:
      SetupLog(L"HTTPS: the server sent the whole file again; it starts over");
      resume->validator = ReplyValidator(request, status);
      if (resume->startOver) resume->startOver();
      return PlaceFileEnd(file, 0);
    case RangeReply::kFail:
      break;
  }
  SetupLog(L"HTTPS: a reply %lu (\"%ls\") does not continue the file after %llu bytes",
           static_cast<unsigned long>(status), content_range.c_str(), static_cast<unsigned long long>(resume->kept));
  return false;
}

// The time-outs last given to a request, so that they are given again only when they change:
// each setting reaches the socket, which under Wine is a trip to its server, and the body is
// read 4096 bytes at a time.
struct RequestTimeouts {
  uint32_t resolve = 0;
  uint32_t connect = 0;
  uint32_t send = 0;
  uint32_t receive = 0;
  uint32_t response_head = 0;
  bool applied = false;

  bool SameAs(const RequestTimeouts& other) const {
    return applied && other.applied && resolve == other.resolve && connect == other.connect &&
           send == other.send && receive == other.receive && response_head == other.response_head;
  }
};

// The platform's time-outs, shortened to what is left of a deadline. False when nothing is.
bool SetTimeouts(HINTERNET request, const NetworkLimits& limits, const TransferWatch& watch,
                 RequestTimeouts* applied) {
  const uint64_t now = GetTickCount64();
  RequestTimeouts wanted;
  wanted.receive = watch.TimeLeft(now, limits.receiveMs);
  if (wanted.receive == 0) {
    SetupLog(L"HTTPS: the request's time is up before it could go on");
    return false;
  }
  // A resolve time-out of 0 lets a lookup take as long as the system's resolver does; a
  // deadline bounds it as well.
  wanted.resolve = watch.TimeLeft(now, limits.resolveMs != 0 ? limits.resolveMs : UINT32_MAX);
  wanted.connect = watch.TimeLeft(now, limits.connectMs);
  wanted.send = watch.TimeLeft(now, limits.sendMs);
  wanted.response_head = watch.TimeLeft(now, limits.responseHeadMs);
  wanted.applied = true;
  if (wanted.SameAs(*applied)) return true;
  WinHttpSetTimeouts(request, wanted.resolve == UINT32_MAX ? 0 : static_cast<int>(wanted.resolve),
                     static_cast<int>(wanted.connect), static_cast<int>(wanted.send),
                     static_cast<int>(wanted.receive));
  DWORD response_head = wanted.response_head;
  WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &response_head, sizeof response_head);
  *applied = wanted;
  return true;
}

// Checks the certificate the server showed in the handshake: its chain must end in a trusted
// root and it must be valid for `name`, whatever its dates.
bool VerifyServerCertificate(HINTERNET request, const WString& name) {
  PCCERT_CONTEXT shown = nullptr;
  DWORD size = sizeof shown;
  if (!WinHttpQueryOption(request, WINHTTP_OPTION_SERVER_CERT_CONTEXT, &shown, &size) ||
      shown == nullptr) {
    LogSystemFailure(L"HTTPS", LastError(), L"no server certificate for %ls", name.c_str());
    return false;
  }
  const ScopedCertificate certificate(shown);
  CERT_CHAIN_PARA chain_para = {};
  chain_para.cbSize = sizeof chain_para;
  PCCERT_CHAIN_CONTEXT built = nullptr;
  if (!CertGetCertificateChain(nullptr, certificate.Get(), nullptr, certificate.Get()->hCertStore,
                               &chain_para, 0, nullptr, &built)) {
    LogSystemFailure(L"HTTPS", LastError(), L"the certificate chain of %ls cannot be built", name.c_str());
    return false;
  }
  const ScopedCertificateChain chain(built);
  const DWORD trust_errors = chain.Get()->TrustStatus.dwErrorStatus & ~kToleratedTrustErrors;
  if (trust_errors != 0) {
    SetupLog(L"HTTPS: the certificate of %ls is not trusted (chain status 0x%08lx)", name.c_str(),
             trust_errors);
    return false;
  }
  SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl = {};
  ssl.cbSize = sizeof ssl;
  ssl.dwAuthType = AUTHTYPE_SERVER;
  ssl.fdwChecks = SECURITY_FLAG_IGNORE_CERT_DATE_INVALID;
  ssl.pwszServerName = const_cast<wchar_t*>(name.c_str());
  CERT_CHAIN_POLICY_PARA policy = {};
  policy.cbSize = sizeof policy;
  policy.dwFlags = CERT_CHAIN_POLICY_IGNORE_ALL_NOT_TIME_VALID_FLAGS;
  policy.pvExtraPolicyPara = &ssl;
  CERT_CHAIN_POLICY_STATUS status = {};
  status.cbSize = sizeof status;
  if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain.Get(), &policy, &status)) {
    LogSystemFailure(L"HTTPS", LastError(), L"the certificate of %ls cannot be checked", name.c_str());
    return false;
  }
  if (status.dwError != 0) {
    // The policy reports its verdict as an HRESULT (CERT_E_CN_NO_MATCH and the like).
    LogSystemFailure(L"HTTPS", SystemCode::Hresult(static_cast<HRESULT>(status.dwError)),
                     L"the certificate does not hold for %ls", name.c_str());
    return false;
  }
  return true;
}

// Streams the body into the sink. The count of bytes actually delivered is checked against
// a stated Content-Length, so a connection that ends early is a failure, not a short success.
bool ReceiveBody(HINTERNET request, ResponseSink* sink, const ProgressCallback& progress,
                 const NetworkLimits& limits, TransferWatch* watch, RequestTimeouts* timeouts) {
  uint64_t length = 0;
  const bool has_length = QueryContentLength(request, &length);
  // Progress and the sink count in 32 bits; the whole length is for the checks before the body.
  const uint32_t total = static_cast<uint32_t>(length);
  // Bytes of the file in front of this body; progress counts the whole file.
  uint32_t base = 0;
  if (sink->resume != nullptr && !PlaceFileBody(request, sink, has_length, length, &base)) return false;
  const uint32_t whole_total = has_length ? base + total : 0;
  if (has_length && sink->kind == ResponseSink::kFile) sink->length = whole_total;
  if (has_length && sink->kind == ResponseSink::kMemory && length > kMemoryReplyCap) {
    SetupLog(L"HTTPS: a reply of %llu bytes is refused", static_cast<unsigned long long>(length));
    return false;
  }
  if (sink->gate != nullptr && *sink->gate && !(*sink->gate)(BodyAnnouncement{base, has_length, length})) {
    SetupLog(L"HTTPS: the body is not wanted");
    return false;
  }

  std::unique_ptr<char[]> buffer(new (std::nothrow) char[kChunkSize]);
  if (!buffer) return false;

  uint32_t announced = 0;
  uint32_t received = 0;
  for (;;) {
    DWORD available = 0;
    // A failed query is a broken connection; only an answer of 0 marks the end of the body.
    if (!WinHttpQueryDataAvailable(request, &available)) {
      LogSystemFailure(L"HTTPS", LastError(), L"the body broke off after %lu bytes",
                       static_cast<unsigned long>(received));
      return false;
    }
    if (available == 0) break;
    if (available > kChunkSize) available = kChunkSize;
    announced += available;
    if (progress) progress(0, base + announced, whole_total, 0);
    DWORD read = 0;
    if (!WinHttpReadData(request, buffer.get(), available, &read)) {
      LogSystemFailure(L"HTTPS", LastError(), L"reading the body failed");
      return false;
    }
    if (!WriteToSink(sink, buffer.get(), read, std::realloc)) {
      SetupLog(L"HTTPS: the body does not fit where it goes, or is not wanted any more, after %lu bytes",
               static_cast<unsigned long>(received));
      return false;
    }
    received += read;
    switch (watch->Update(GetTickCount64(), read)) {
      case TransferWatch::kGoOn:
        break;
      case TransferWatch::kDeadlinePassed:
        LogSystemFailure(L"HTTPS", SystemCode::Win32Error(ERROR_WINHTTP_TIMEOUT), L"time is up after %lu bytes",
                         static_cast<unsigned long>(received));
        return false;
      case TransferWatch::kStalled:
        LogSystemFailure(L"HTTPS", SystemCode::Win32Error(ERROR_WINHTTP_TIMEOUT),
                         L"fewer than %lu bytes in %lu ms, the transfer stalled",
                         static_cast<unsigned long>(limits.stallMinimumBytes),
                         static_cast<unsigned long>(limits.stallWindowMs));
        return false;
    }
    if (!SetTimeouts(request, limits, *watch, timeouts)) return false;
  }
  if (has_length && received != total) {
    SetupLog(L"HTTPS: %lu of %lu bytes arrived", static_cast<unsigned long>(received),
             static_cast<unsigned long>(total));
    return false;
  }
  if (sink->kind == ResponseSink::kFile && sink->length == 0) sink->length = base + received;
  return true;
}

// What the status callback needs to check the server before a request goes out, and what it
// found.
struct CertificateGate {
  const WString* name;
  bool checked = false;
  bool refused = false;
};

// Runs once the handshake is done and before any request byte is written. Closing the request
// handle here is how WinHTTP lets a request be abandoned; the send then fails. Only the first
// send of a handle is checked; later ones (redirects) are left to the platform.
void CALLBACK CheckCertificateBeforeSending(HINTERNET request, DWORD_PTR context, DWORD status,
                                            LPVOID, DWORD) {
  CertificateGate* gate = reinterpret_cast<CertificateGate*>(context);
  if (status != WINHTTP_CALLBACK_STATUS_SENDING_REQUEST || gate == nullptr || gate->checked) return;
  gate->checked = true;
  if (VerifyServerCertificate(request, *gate->name)) return;
  gate->refused = true;
  WinHttpCloseHandle(request);
}

// A GET or HEAD over HTTPS to `connection`, with the time-outs, the "Host: " line and the other
// header lines, and the platform's checks relaxed only where VerifyServerCertificate does them.
ScopedInternet OpenRequest(HINTERNET connection, const wchar_t* verb, const WString& path,
                           const HeaderList& headers, const WString& host, const WString& server_name,
                           const NetworkLimits& limits, const TransferWatch& watch, RequestTimeouts* timeouts) {
  ScopedInternet request(WinHttpOpenRequest(connection, verb, path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                            WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE | WINHTTP_FLAG_REFRESH));
  if (!request) {
    LogSystemFailure(L"HTTPS", LastError(), L"no request for %ls", host.c_str());
    return request;
  }
  if (!SetTimeouts(request.Get(), limits, watch, timeouts)) return ScopedInternet();

  // The platform checks the chain; the name it can only check when the connection goes to
  // the named host. VerifyServerCertificate checks both in every case.
  DWORD security_flags = 0;
  DWORD flags_size = sizeof security_flags;
  WinHttpQueryOption(request.Get(), WINHTTP_OPTION_SECURITY_FLAGS, &security_flags, &flags_size);
  security_flags |= SECURITY_FLAG_IGNORE_CERT_DATE_INVALID;
  if (_wcsicmp(server_name.c_str(), host.c_str()) != 0) {
    security_flags |= SECURITY_FLAG_IGNORE_CERT_CN_INVALID;
  }
  WinHttpSetOption(request.Get(), WINHTTP_OPTION_SECURITY_FLAGS, &security_flags, sizeof security_flags);
  for (const WString& line : headers) {
    WinHttpAddRequestHeaders(request.Get(), line.c_str(), static_cast<DWORD>(line.size()),
                             WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE);
  }
  return request;
}

// Sends `request` only to a server whose certificate holds for `server_name`. The gate refuses
// it after the handshake and before the first byte of the request; a WinHTTP that sends all
// the same (Wine's) still has the certificate checked before the answer is read, and the log
// says the request went out.
bool SendToCheckedServer(ScopedInternet* request, const WString& host, const WString& server_name) {
  CertificateGate gate{&server_name};
  // The notification flag of a status is the status value itself (the SDK's
  // WINHTTP_CALLBACK_FLAG_SENDING_REQUEST, which MinGW's header lacks).
  if (WinHttpSetStatusCallback(request->Get(), CheckCertificateBeforeSending,
                               WINHTTP_CALLBACK_STATUS_SENDING_REQUEST, 0) == WINHTTP_INVALID_STATUS_CALLBACK) {
    LogSystemFailure(L"HTTPS", LastError(), L"the certificate of %ls cannot be checked before sending",
                     server_name.c_str());
    return false;
  }
  const bool sent = WinHttpSendRequest(request->Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA,
                                       0, 0, reinterpret_cast<DWORD_PTR>(&gate));
  if (gate.refused) {
    request->Release();  // the gate closed it
    if (sent) SetupLog(L"HTTPS: the request to %ls went out although its certificate was refused", host.c_str());
    return false;
  }
  if (!sent) {
    LogSystemFailure(L"HTTPS", LastError(), L"sending to %ls failed", host.c_str());
    return false;
  }
  return gate.checked || VerifyServerCertificate(request->Get(), server_name);
}

// The server is first asked for nothing ("HEAD /", with the "Host: " line alone): the
// request, which may carry the device's identifiers, goes out only once that server's
// certificate holds for the name, even on a WinHTTP that ignores the gate's abort and checks
// less than it should before sending (Wine's: a bare address, whose name it cannot check, or
// an expired self-signed certificate once dates are tolerated). The answer is read so that
// the connection, already checked, can carry the request.
bool ProbeServerCertificate(HINTERNET connection, const WString& host, const WString& server_name,
                            const NetworkLimits& limits, const TransferWatch& watch) {
  RequestTimeouts timeouts;
  const HeaderList host_line = {L"Host: " + server_name};
  ScopedInternet probe = OpenRequest(connection, L"HEAD", L"/", host_line, host, server_name, limits, watch, &timeouts);
  if (!probe || !SendToCheckedServer(&probe, host, server_name)) {
    SetupLog(L"HTTPS: nothing is asked of %ls for %ls", host.c_str(), server_name.c_str());
    return false;
  }
  WinHttpReceiveResponse(probe.Get(), nullptr);
  return true;
}

bool Exchange(const WString& host, const WString& pathAndQuery, const HeaderList& headers,
              ResponseSink* sink, const ProgressCallback& progress, const RequestBounds& bounds) {
  const NetworkLimits limits = ConfiguredNetworkLimits();
  TransferWatch watch(GetTickCount64(), bounds.deadline,
                      bounds.stallRule ? limits.stallWindowMs : 0, limits.stallMinimumBytes);
  const WString named = HostHeaderValue(headers);
  const WString& server_name = named.empty() ? host : named;
  // No host (a URL that could not be split, a retry without an address) must not reach the
  // network: some WinHTTPs connect an empty name to the local machine.
  if (host.empty()) {
    SetupLog(L"HTTPS: no host to ask");
    return false;
  }
  SetupLog(L"HTTPS: GET from %ls for %ls", host.c_str(), server_name.c_str());

  ScopedInternet session(WinHttpOpen(L"bokrin-setup app", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                     WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session) {
    LogSystemFailure(L"HTTPS", LastError(), L"no session");
    return false;
  }
  ScopedInternet connection(
      WinHttpConnect(session.Get(), host.c_str(), INTERNET_DEFAULT_HTTPS_PORT, 0));
  if (!connection) {
    LogSystemFailure(L"HTTPS", LastError(), L"no connection to %ls", host.c_str());
    return false;
  }
  if (!ProbeServerCertificate(connection.Get(), host, server_name, limits, watch)) return false;
  RequestTimeouts timeouts;
  ScopedInternet request =
      OpenRequest(connection.Get(), L"GET", pathAndQuery, headers, host, server_name, limits, watch, &timeouts);
  if (!request || !SendToCheckedServer(&request, host, server_name)) return false;
  if (!WinHttpReceiveResponse(request.Get(), nullptr)) {
    LogSystemFailure(L"HTTPS", LastError(), L"no response from %ls", host.c_str());
    return false;
  }
  return ReceiveBody(request.Get(), sink, progress, limits, &watch, &timeouts);
}

}  // namespace

bool WriteToSink(ResponseSink* sink, const char* chunk, uint32_t count, SinkReallocator grow) {
  if (count == 0) return true;
  if (sink->kind == ResponseSink::kFile) {
    if (std::fwrite(chunk, 1, count, static_cast<FILE*>(sink->target)) != count) return false;
    return sink->observer == nullptr || !*sink->observer || (*sink->observer)(chunk, count);
  }
  const size_t new_length = static_cast<size_t>(sink->length) + count;
  if (new_length > kMemoryReplyCap) return false;
  if (new_length + 1 > sink->capacity) {
    // Doubling keeps the copies of a long reply linear in its length.
    size_t capacity = sink->capacity != 0 ? static_cast<size_t>(sink->capacity) * 2 : kChunkSize;
    if (capacity < new_length + 1) capacity = new_length + 1;
    if (capacity > kMemoryReplyCap + 1) capacity = kMemoryReplyCap + 1;
    // On failure realloc leaves the old block alone, so the sink keeps what it had.
    void* grown = grow(sink->target, capacity);
    if (!grown) return false;
    sink->target = grown;
    sink->capacity = static_cast<uint32_t>(capacity);
  }
  char* bytes = static_cast<char*>(sink->target);
  std::memcpy(bytes + sink->length, chunk, count);
  bytes[new_length] = '\0';
  sink->length = static_cast<uint32_t>(new_length);
  return true;
}

bool CWinHttpClient::Request(WString host, WString pathAndQuery, HeaderList headers,
                             ResponseSink* sink, ProgressCallback progress, RequestBounds bounds) {
  const bool ok = Exchange(host, pathAndQuery, headers, sink, progress, bounds);
  if (!ok && progress) progress(-2, 0, 0, -2);
  return ok;
}

bool CWinHttpClient::GetToMemory(WString host, WString pathAndQuery, HeaderList headers,
                                 uint32_t* length, char** data, uint64_t deadline) {
  ResponseSink sink = {ResponseSink::kMemory, 0, nullptr};
  RequestBounds bounds;
  bounds.deadline = deadline;
  const bool ok = Request(host, pathAndQuery, headers, &sink, ProgressCallback(), bounds);
  HeapText body(static_cast<char*>(sink.target));
  if (!ok) return false;
  *length = sink.length;
  *data = body.release();
  return true;
}

bool CWinHttpClient::GetToFile(WString host, WString pathAndQuery, HeaderList headers,
                               std::string filePath, ProgressCallback progress,
                               BodyObserver observe, FileResume* resume, BodyGate gate) {
  const bool continuing = resume != nullptr && resume->kept != 0 && !resume->validator.empty();
  if (resume != nullptr && resume->kept != 0 && !continuing) {
    // Nothing tells whether the server still has the same file: its bytes cannot be trusted.
    resume->kept = 0;
    if (resume->startOver) resume->startOver();
  }
  std::unique_ptr<FILE, FileCloser> file(std::fopen(filePath.c_str(), continuing ? "rb+" : "wb+"));
  if (!file) return false;
  // One WriteFile per 4 KiB chunk is slow, under Wine above all; the stream gathers them. The
  // run-time library owns the buffer and frees it at fclose; should it fail, the default serves.
  std::setvbuf(file.get(), nullptr, _IOFBF, kFileBufferSize);
  ResponseSink sink = {ResponseSink::kFile, 0, file.get(), &observe};
  sink.resume = resume;
  sink.gate = &gate;
  if (continuing) {
    headers.push_back(L"Range: bytes=" + std::to_wstring(resume->kept) + L"-");
    headers.push_back(L"If-Range: " + resume->validator);
  }
  RequestBounds bounds;
  bounds.stallRule = true;
  const bool ok = Request(host, pathAndQuery, headers, &sink, progress, bounds);
  if (resume != nullptr) {
    // What is in the file now, whatever broke: the next attempt continues after it.
    std::fflush(file.get());
    const long long end = _fseeki64(file.get(), 0, SEEK_END) == 0 ? _ftelli64(file.get()) : 0;
    resume->kept = end > 0 ? static_cast<uint64_t>(end) : 0;
  }
  return ok;
}

bool CWinHttpClient::SplitUrl(WString url, WString* host, WString* pathAndQuery) {
  URL_COMPONENTS parts = {};
  parts.dwStructSize = sizeof parts;
  parts.dwSchemeLength = static_cast<DWORD>(-1);
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUserNameLength = static_cast<DWORD>(-1);
  parts.dwPasswordLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) return false;
  const auto append = [](WString* out, const wchar_t* text, DWORD length) {
    if (text) out->append(text, length);
  };
  append(host, parts.lpszHostName, parts.dwHostNameLength);
  append(pathAndQuery, parts.lpszUrlPath, parts.dwUrlPathLength);
  append(pathAndQuery, parts.lpszExtraInfo, parts.dwExtraInfoLength);
  return true;
}

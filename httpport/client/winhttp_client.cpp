#include "httpport/client/winhttp_client.h"

#include <windows.h>
#include <winhttp.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <memory>
#include <new>

#include "common/heap_block.h"
#include "common/scoped_handle.h"

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

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};

constexpr DWORD kChunkSize = 4096;
constexpr size_t kFileBufferSize = 1 << 20;
constexpr DWORD kToleratedCertificateErrors = SECURITY_FLAG_IGNORE_UNKNOWN_CA |
                                              SECURITY_FLAG_IGNORE_CERT_DATE_INVALID |
                                              SECURITY_FLAG_IGNORE_CERT_CN_INVALID;

// The Content-Length header as the run-time library reads it; false when there is none.
bool QueryContentLength(HINTERNET request, uint32_t* value) {
  wchar_t text[32] = {};
  DWORD size = sizeof text;
  if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX,
                           text, &size, WINHTTP_NO_HEADER_INDEX)) {
    return false;
  }
  *value = static_cast<uint32_t>(_wtoi(text));
  return true;
}

// Streams the body into the sink. The count of bytes actually delivered is checked against
// a stated Content-Length, so a connection that ends early is a failure, not a short success.
bool ReceiveBody(HINTERNET request, ResponseSink* sink, const ProgressCallback& progress) {
  uint32_t total = 0;
  const bool has_length = QueryContentLength(request, &total);
  if (has_length && sink->kind == ResponseSink::kFile) sink->length = total;

  std::unique_ptr<char[]> buffer(new (std::nothrow) char[kChunkSize]);
  if (!buffer) return false;

  uint32_t announced = 0;
  uint32_t received = 0;
  for (;;) {
    DWORD available = 0;
    // A failed query is a broken connection; only an answer of 0 marks the end of the body.
    if (!WinHttpQueryDataAvailable(request, &available)) return false;
    if (available == 0) break;
    if (available > kChunkSize) available = kChunkSize;
    announced += available;
    if (progress) progress(0, announced, total, 0);
    DWORD read = 0;
    if (!WinHttpReadData(request, buffer.get(), available, &read)) return false;
    if (!WriteToSink(sink, buffer.get(), read, std::realloc)) return false;
    received += read;
  }
  if (has_length && received != total) return false;
  if (sink->kind == ResponseSink::kFile && sink->length == 0) sink->length = received;
  return true;
}

bool Exchange(const WString& host, const WString& pathAndQuery, const HeaderList& headers,
              ResponseSink* sink, const ProgressCallback& progress) {
  ScopedInternet session(WinHttpOpen(L"bokrin-setup app", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                     WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session) return false;
  ScopedInternet connection(
      WinHttpConnect(session.Get(), host.c_str(), INTERNET_DEFAULT_HTTPS_PORT, 0));
  if (!connection) return false;
  ScopedInternet request(WinHttpOpenRequest(
      connection.Get(), L"GET", pathAndQuery.c_str(), nullptr, WINHTTP_NO_REFERER,
      WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE | WINHTTP_FLAG_REFRESH));
  if (!request) return false;

  DWORD security_flags = 0;
  DWORD flags_size = sizeof security_flags;
  WinHttpQueryOption(request.Get(), WINHTTP_OPTION_SECURITY_FLAGS, &security_flags, &flags_size);
  security_flags |= kToleratedCertificateErrors;
  for (const WString& line : headers) {
    WinHttpAddRequestHeaders(request.Get(), line.c_str(), static_cast<DWORD>(line.size()),
                             WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE);
  }
  WinHttpSetOption(request.Get(), WINHTTP_OPTION_SECURITY_FLAGS, &security_flags,
                   sizeof security_flags);

  if (!WinHttpSendRequest(request.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                          WINHTTP_NO_REQUEST_DATA, 0, 0, 0)) {
    return false;
  }
  if (!WinHttpReceiveResponse(request.Get(), nullptr)) return false;
  return ReceiveBody(request.Get(), sink, progress);
}

}  // namespace

bool WriteToSink(ResponseSink* sink, const char* chunk, uint32_t count, SinkReallocator grow) {
  if (count == 0) return true;
  if (sink->kind == ResponseSink::kFile) {
    if (std::fwrite(chunk, 1, count, static_cast<FILE*>(sink->target)) != count) return false;
    if (sink->observer != nullptr && *sink->observer) (*sink->observer)(chunk, count);
    return true;
  }
  const size_t new_length = static_cast<size_t>(sink->length) + count;
  if (new_length > UINT32_MAX - 1) return false;
  // On failure realloc leaves the old block alone, so the sink keeps what it had.
  void* grown = grow(sink->target, new_length + 1);
  if (!grown) return false;
  char* bytes = static_cast<char*>(grown);
  std::memcpy(bytes + sink->length, chunk, count);
  bytes[new_length] = '\0';
  sink->target = grown;
  sink->length = static_cast<uint32_t>(new_length);
  return true;
}

bool CWinHttpClient::Request(WString host, WString pathAndQuery, HeaderList headers,
                             ResponseSink* sink, ProgressCallback progress) {
  const bool ok = Exchange(host, pathAndQuery, headers, sink, progress);
  if (!ok && progress) progress(-2, 0, 0, -2);
  return ok;
}

bool CWinHttpClient::GetToMemory(WString host, WString pathAndQuery, HeaderList headers,
                                 uint32_t* length, char** data) {
  ResponseSink sink = {ResponseSink::kMemory, 0, nullptr};
  const bool ok = Request(host, pathAndQuery, headers, &sink, ProgressCallback());
  HeapText body(static_cast<char*>(sink.target));
  if (!ok) return false;
  *length = sink.length;
  *data = body.release();
  return true;
}

bool CWinHttpClient::GetToFile(WString host, WString pathAndQuery, HeaderList headers,
                               std::string filePath, ProgressCallback progress,
                               BodyObserver observe) {
  std::unique_ptr<FILE, FileCloser> file(std::fopen(filePath.c_str(), "wb+"));
  if (!file) return false;
  // One WriteFile per 4 KiB chunk is slow, under Wine above all; the stream gathers them. The
  // run-time library owns the buffer and frees it at fclose; should it fail, the default serves.
  std::setvbuf(file.get(), nullptr, _IOFBF, kFileBufferSize);
  ResponseSink sink = {ResponseSink::kFile, 0, file.get(), &observe};
  return Request(host, pathAndQuery, headers, &sink, progress);
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

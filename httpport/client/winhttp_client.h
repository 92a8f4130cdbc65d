#pragma once
// Synchronous HTTPS GET over WinHTTP: always TLS to port 443 of the given host, tolerating an
// unknown certificate authority, an expired certificate and a name mismatch, so that a host
// can also be reached through a bare address with a "Host: " header line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "common/utf16.h"

// Sees the body bytes that were written to a file, in order (for a digest kept on the way).
using BodyObserver = std::function<void(const char* data, uint32_t size)>;

// Where a response body goes.
struct ResponseSink {
  enum Kind : int32_t { kMemory = 1, kFile = 2 };

  int32_t kind;
  // Memory: body bytes held so far. File: the Content-Length value, or, without one, the
  // number of bytes received.
  uint32_t length;
  // Memory: malloc'ed buffer followed by one NUL byte after `length` bytes, null until the
  // first byte arrives. File: an open FILE* in binary mode.
  void* target;
  // File only, may be null: called with each chunk once it is written.
  const BodyObserver* observer = nullptr;
};

// (status, received, total, error): progress calls are (0, bytes announced so far including
// the chunk about to be read, Content-Length or 0, 0); a failed request ends with exactly one
// (-2, 0, 0, -2). May be empty.
using ProgressCallback =
    std::function<void(int32_t status, uint32_t received, uint32_t total, int32_t error)>;

using HeaderList = std::vector<WString>;

// Grows a memory sink's buffer; the C run-time's realloc outside tests.
using SinkReallocator = void* (*)(void* block, size_t size);

// Appends a chunk to a sink. False when a memory buffer cannot grow (the sink keeps the bytes
// it had, still NUL-terminated) or a file write falls short.
bool WriteToSink(ResponseSink* sink, const char* chunk, uint32_t count,
                 SinkReallocator grow = std::realloc);

class CWinHttpClient {
 public:
  // One GET; true only when the whole body reached the sink.
  bool Request(WString host, WString pathAndQuery, HeaderList headers, ResponseSink* sink,
               ProgressCallback progress);

  // On success the caller owns *data (free it with free); it is NUL-terminated and null for
  // an empty body. On failure both out-parameters are left untouched.
  bool GetToMemory(WString host, WString pathAndQuery, HeaderList headers, uint32_t* length,
                   char** data);

  // filePath is in the ANSI code page. The file is created or truncated; when it cannot be
  // opened nothing is sent and the callback is not called. `observe`, when given, sees every
  // byte that goes into the file.
  bool GetToFile(WString host, WString pathAndQuery, HeaderList headers, std::string filePath,
                 ProgressCallback progress, BodyObserver observe = BodyObserver());

  // Appends the URL's host name and its path with the query to the two outputs.
  bool SplitUrl(WString url, WString* host, WString* pathAndQuery);
};

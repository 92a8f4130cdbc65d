#pragma once
// Synchronous HTTPS GET over WinHTTP: always TLS to port 443 of the given host. The server's
// certificate must chain to a trusted root and name the host the request is meant for: the
// given host, or the one of a "Host: " header line when a host is reached through a bare
// address. Only a certificate outside its dates is tolerated, since old PCs often have wrong
// clocks. The certificate is checked after the handshake and before the request is sent, and
// the server is first asked "HEAD /" alone, so that a server whose certificate does not hold
// never receives the request, even from a WinHTTP that sends despite the abort (Wine's).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "common/utf16.h"

// Sees the body bytes that were written to a file, in order (for a digest kept on the way).
// False ends the transfer as a failure once those bytes are written (the download is cancelled).
using BodyObserver = std::function<bool(const char* data, uint32_t size)>;

// Lets a file download go on where a broken one stopped.
struct FileResume {
  // In: bytes of an earlier attempt at the start of the file; with a validator the request
  // asks only for the rest ("Range" with "If-Range"), without one the file starts over. Out:
  // the bytes in the file when the attempt has ended, whether it succeeded or not.
  uint64_t kept = 0;
  // In and out: the ETag, or else the Last-Modified value, of the 200 reply whose bytes are
  // kept; empty when that reply had neither.
  WString validator;
  // Called when the file starts over (the server sent the whole file, or nothing kept can be
  // continued), before the first byte of the new body is written.
  std::function<void()> startOver;
};

// What a file reply brings, as its headers tell before any body byte is read.
struct BodyAnnouncement {
  // Bytes of the file that stay in front of this body (those a 206 continues after).
  uint64_t kept = 0;
  // The stated Content-Length, the bytes this body adds; 0 when `has_length` is false.
  bool has_length = false;
  uint64_t length = 0;

  // The size of the whole file once this body is in, when the length is stated.
  uint64_t Whole() const { return kept + length; }
};

// Asked once the response headers are in, before any body byte is read: false turns the body
// away and fails the request, with nothing of it written.
using BodyGate = std::function<bool(const BodyAnnouncement& announced)>;

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
  // Memory: bytes allocated for the buffer; it grows geometrically up to kMemoryReplyCap.
  uint32_t capacity = 0;
  // File only, may be null: the request asked for the rest after `resume->kept` bytes.
  FileResume* resume = nullptr;
  // File only, may be null: whether the body is wanted at all.
  const BodyGate* gate = nullptr;
};

// A service reply held in memory is a small JSON record; anything larger is refused.
constexpr uint32_t kMemoryReplyCap = 1024 * 1024;

// (status, received, total, error): progress calls are (0, bytes announced so far including
// the chunk about to be read, Content-Length or 0, 0); a failed request ends with exactly one
// (-2, 0, 0, -2). May be empty.
using ProgressCallback =
    std::function<void(int32_t status, uint32_t received, uint32_t total, int32_t error)>;

using HeaderList = std::vector<WString>;

// Grows a memory sink's buffer; the C run-time's realloc outside tests.
using SinkReallocator = void* (*)(void* block, size_t size);

// Appends a chunk to a sink. False when a memory buffer would pass kMemoryReplyCap or cannot
// grow (the sink keeps the bytes it had, still NUL-terminated), a file write falls short or
// the file's observer wants no more.
bool WriteToSink(ResponseSink* sink, const char* chunk, uint32_t count,
                 SinkReallocator grow = std::realloc);

// What ends a request early besides the platform's time-outs: a deadline (GetTickCount64
// time; 0 for none) and the stall rule of NetworkLimits.
struct RequestBounds {
  uint64_t deadline = 0;
  bool stallRule = false;
};

class CWinHttpClient {
 public:
  // One GET; true only when the whole body reached the sink.
  bool Request(WString host, WString pathAndQuery, HeaderList headers, ResponseSink* sink,
               ProgressCallback progress, RequestBounds bounds = RequestBounds());

  // On success the caller owns *data (free it with free); it is NUL-terminated and null for
  // an empty body. On failure both out-parameters are left untouched. A reply past
  // kMemoryReplyCap, or one still arriving at `deadline` (GetTickCount64 time, 0 for none),
  // fails.
  bool GetToMemory(WString host, WString pathAndQuery, HeaderList headers, uint32_t* length,
                   char** data, uint64_t deadline = 0);

  // filePath is in the ANSI code page. The file is created or truncated, unless `resume`
  // continues it: a 206 that goes on exactly after the kept bytes is appended, a 200 starts
  // the file over, any other reply fails the request and leaves the kept bytes alone. When the
  // file cannot be opened nothing is sent and the callback is not called. `observe`, when
  // given, sees every byte that goes into the file; progress counts the whole file, kept
  // bytes included. `gate`, when given, may turn the body away after the headers. The
  // transfer fails when it stalls (NetworkLimits).
  bool GetToFile(WString host, WString pathAndQuery, HeaderList headers, std::string filePath,
                 ProgressCallback progress, BodyObserver observe = BodyObserver(),
                 FileResume* resume = nullptr, BodyGate gate = BodyGate());

  // Appends the URL's host name and its path with the query to the two outputs.
  bool SplitUrl(WString url, WString* host, WString* pathAndQuery);
};

#pragma once
// minizip file functions over bytes in memory, so that an archive held in memory (a skin built
// into the program, an archive built by a test, a fuzz input) is read without a file system.
// The bytes stay the caller's and must outlive the object. One stream may be open at a time,
// which is all one open archive asks for.
#include <minizip/ioapi.h>

#include <cstddef>
#include <cstdint>

class MemoryArchiveFile {
 public:
  MemoryArchiveFile(const void* data, size_t size);
  MemoryArchiveFile(const MemoryArchiveFile&) = delete;
  MemoryArchiveFile& operator=(const MemoryArchiveFile&) = delete;

  // Read-only functions whose opaque pointer is this object; they ignore the file name.
  zlib_filefunc64_def* Functions() { return &functions_; }

 private:
  static voidpf Open(voidpf opaque, const void* name, int mode);
  static uLong Read(voidpf opaque, voidpf stream, void* buffer, uLong size);
  static uLong Write(voidpf opaque, voidpf stream, const void* buffer, uLong size);
  static ZPOS64_T Tell(voidpf opaque, voidpf stream);
  static long Seek(voidpf opaque, voidpf stream, ZPOS64_T offset, int origin);
  static int Close(voidpf opaque, voidpf stream);
  static int Error(voidpf opaque, voidpf stream);

  const unsigned char* data_;
  size_t size_;
  // May lie past the end, as a file position may; reads there find nothing.
  uint64_t position_ = 0;
  bool open_ = false;
  zlib_filefunc64_def functions_;
};

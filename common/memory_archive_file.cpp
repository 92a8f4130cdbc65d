#include "common/memory_archive_file.h"

#include <cstring>

namespace {

MemoryArchiveFile* Self(voidpf opaque) { return static_cast<MemoryArchiveFile*>(opaque); }

}  // namespace

MemoryArchiveFile::MemoryArchiveFile(const void* data, size_t size)
    : data_(static_cast<const unsigned char*>(data)), size_(size) {
  functions_.zopen64_file = &MemoryArchiveFile::Open;
  functions_.zread_file = &MemoryArchiveFile::Read;
  functions_.zwrite_file = &MemoryArchiveFile::Write;
  functions_.ztell64_file = &MemoryArchiveFile::Tell;
  functions_.zseek64_file = &MemoryArchiveFile::Seek;
  functions_.zclose_file = &MemoryArchiveFile::Close;
  functions_.zerror_file = &MemoryArchiveFile::Error;
  functions_.opaque = this;
}

voidpf MemoryArchiveFile::Open(voidpf opaque, const void*, int mode) {
  MemoryArchiveFile* self = Self(opaque);
  if (self->open_ || (mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
  self->open_ = true;
  self->position_ = 0;
  return self;
}

uLong MemoryArchiveFile::Read(voidpf opaque, voidpf, void* buffer, uLong size) {
  MemoryArchiveFile* self = Self(opaque);
  if (self->position_ >= self->size_) return 0;
  const uint64_t left = self->size_ - self->position_;
  const uLong count = left < size ? static_cast<uLong>(left) : size;
  std::memcpy(buffer, self->data_ + self->position_, count);
  self->position_ += count;
  return count;
}

uLong MemoryArchiveFile::Write(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T MemoryArchiveFile::Tell(voidpf opaque, voidpf) { return Self(opaque)->position_; }

// minizip moves backwards by passing a negative offset in the unsigned type, as the file
// functions of the platforms read it: signed. A position before the start is refused.
long MemoryArchiveFile::Seek(voidpf opaque, voidpf, ZPOS64_T offset, int origin) {
  MemoryArchiveFile* self = Self(opaque);
  int64_t base = 0;
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET: base = 0; break;
    case ZLIB_FILEFUNC_SEEK_CUR: base = static_cast<int64_t>(self->position_); break;
    case ZLIB_FILEFUNC_SEEK_END: base = static_cast<int64_t>(self->size_); break;
    default: return -1;
  }
  const int64_t move = static_cast<int64_t>(offset);
  if (move < -base || (move > 0 && move > INT64_MAX - base)) return -1;
  self->position_ = static_cast<uint64_t>(base + move);
  return 0;
}

int MemoryArchiveFile::Close(voidpf opaque, voidpf) {
  Self(opaque)->open_ = false;
  return 0;
}

int MemoryArchiveFile::Error(voidpf, voidpf) { return 0; }

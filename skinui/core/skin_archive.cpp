#include "skinui/core/skin_archive.h"

#include <minizip/unzip.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "common/memory_archive_file.h"
#include "common/text_convert.h"
#include "common/zip_cipher.h"

namespace SkinUI {

namespace {

struct ZipCloser {
  void operator()(void* zip) const { unzClose(zip); }
};

struct EntryCloser {
  void operator()(void* zip) const { unzCloseCurrentFile(zip); }
};
using OpenEntry = std::unique_ptr<void, EntryCloser>;

// minizip's value for unzLocateFile's comparison that ignores (ASCII) case.
constexpr int kIgnoreCase = 2;
// Traditional zip encryption marks an entry with bit 0 of its flags and puts 12 bytes of its
// own in front of the stored data.
constexpr uLong kEncryptedFlag = 1;
constexpr size_t kCipherHeaderBytes = 12;
constexpr size_t kChunkBytes = 16384;

// Turns the stored bytes of an entry, fed in order, into its data in `out`, which has the
// entry's announced size and is never written past.
class EntryDecoder {
 public:
  EntryDecoder(bool deflated, std::vector<unsigned char>* out) : deflated_(deflated), out_(out) {}
  ~EntryDecoder() {
    if (inflating_) inflateEnd(&stream_);
  }
  EntryDecoder(const EntryDecoder&) = delete;
  EntryDecoder& operator=(const EntryDecoder&) = delete;

  bool Start() {
    inflating_ = deflated_ && inflateInit2(&stream_, -MAX_WBITS) == Z_OK;
    return inflating_ == deflated_;
  }

  // False for data that cannot be inflated or does not fit.
  bool Feed(unsigned char* data, size_t size) {
    if (size == 0) return true;
    unsigned char* const start = out_->data() + done_;
    const size_t room = out_->size() - done_;
    if (!deflated_) {
      if (size > room) return false;
      std::memcpy(start, data, size);
      done_ += size;
      return true;
    }
    if (ended_) return true;
    stream_.next_in = data;
    stream_.avail_in = static_cast<uInt>(size);
    stream_.next_out = start;
    stream_.avail_out = static_cast<uInt>(std::min<size_t>(room, UINT32_MAX));
    const int status = inflate(&stream_, Z_NO_FLUSH);
    done_ += static_cast<size_t>(stream_.next_out - start);
    ended_ = status == Z_STREAM_END;
    // Input left over before the stream's end needs room that the announced size does not give.
    return ended_ || (status == Z_OK && stream_.avail_in == 0);
  }

  // Whether all of the data arrived, no more and no less than announced.
  bool Complete() const { return (!deflated_ || ended_) && done_ == out_->size(); }

 private:
  const bool deflated_;
  std::vector<unsigned char>* const out_;
  size_t done_ = 0;
  bool ended_ = false;
  bool inflating_ = false;
  z_stream stream_ = {};
};

SkinReadResult Failure(SkinReadError error) {
  SkinReadResult result;
  result.error = error;
  return result;
}

}  // namespace

// The zip handle reads through the memory file, so it is declared after it and closed first.
struct SkinArchive::Opened {
  Opened(const void* data, size_t size) : file(data, size) {}

  MemoryArchiveFile file;
  std::unique_ptr<void, ZipCloser> zip;
};

SkinArchive::SkinArchive() = default;
SkinArchive::~SkinArchive() = default;

bool SkinArchive::Attach(const void* data, size_t size, const std::string& password) {
  opened_.reset();
  password_ = password;
  auto opened = std::make_unique<Opened>(data, size);
  opened->zip.reset(unzOpen2_64(nullptr, opened->file.Functions()));
  if (opened->zip == nullptr) return false;
  opened_ = std::move(opened);
  return true;
}

SkinReadResult SkinArchive::Read(WStringView name, size_t limit) {
  if (opened_ == nullptr) return Failure(SkinReadError::kOpeningArchive);
  void* zip = opened_->zip.get();

  std::string entry_name = Utf16ToUtf8(name.data(), name.size());
  std::replace(entry_name.begin(), entry_name.end(), '\\', '/');
  // A zero unit would cut the name short and find another entry.
  if (entry_name.find('\0') != std::string::npos || unzLocateFile(zip, entry_name.c_str(), kIgnoreCase) != UNZ_OK) {
    return Failure(SkinReadError::kEntryNotFound);
  }

  unz_file_info64 info = {};
  if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
    return Failure(SkinReadError::kUnzipping);
  }
  const SkinReadError judged = JudgeAnnouncedSize(info.uncompressed_size, limit);
  if (judged != SkinReadError::kNone) return Failure(judged);

  // The stored bytes come raw, so that deciphering, inflating and the checks are the same for
  // every entry, encrypted or not.
  int method = 0;
  const bool encrypted = (info.flag & kEncryptedFlag) != 0;
  if ((encrypted && password_.empty()) || unzOpenCurrentFile2(zip, &method, nullptr, 1) != UNZ_OK) {
    return Failure(SkinReadError::kUnzipping);
  }
  OpenEntry entry(zip);
  if (method != 0 && method != Z_DEFLATED) return Failure(SkinReadError::kUnzipping);

  SkinReadResult result;
  result.bytes.resize(static_cast<size_t>(info.uncompressed_size));
  EntryDecoder decoder(method == Z_DEFLATED, &result.bytes);
  ZipCipher decipher(password_);
  size_t header_left = encrypted ? kCipherHeaderBytes : 0;
  std::vector<unsigned char> chunk(kChunkBytes);
  if (!decoder.Start()) return Failure(SkinReadError::kUnzipping);
  for (;;) {
    const int got = unzReadCurrentFile(zip, chunk.data(), static_cast<unsigned>(chunk.size()));
    if (got < 0) return Failure(SkinReadError::kUnzipping);
    if (got == 0) break;
    const size_t size = static_cast<size_t>(got);
    if (encrypted) decipher.Decrypt(chunk.data(), size);
    const size_t skipped = std::min(header_left, size);
    header_left -= skipped;
    if (!decoder.Feed(chunk.data() + skipped, size - skipped)) return Failure(SkinReadError::kUnzipping);
  }
  const uLong crc = crc32_z(0, result.bytes.data(), result.bytes.size());
  if (header_left != 0 || !decoder.Complete() || crc != info.crc) return Failure(SkinReadError::kUnzipping);
  return result;
}

}  // namespace SkinUI

#include "common/testing/zip_writer.h"

#include <zlib.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "common/zip_cipher.h"

namespace {

void Put16(std::string* out, uint32_t value) {
  out->push_back(static_cast<char>(value & 0xFF));
  out->push_back(static_cast<char>((value >> 8) & 0xFF));
}

void Put32(std::string* out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

void Put64(std::string* out, uint64_t value) {
  Put32(out, static_cast<uint32_t>(value));
  Put32(out, static_cast<uint32_t>(value >> 32));
}

uint32_t Get32(const std::string& in, size_t at) {
  uint32_t value = 0;
  for (size_t i = 4; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(in[at + i]);
  return value;
}

std::string RawDeflate(const std::string& data) {
  z_stream stream = {};
  if (deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) std::abort();
  std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
  stream.avail_out = static_cast<uInt>(out.size());
  if (deflate(&stream, Z_FINISH) != Z_STREAM_END) std::abort();
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

// An entry's data enciphered: the 12-byte header in front of it ends in the CRC's high byte,
// which readers may check the password by.
std::string Encrypt(const std::string& password, const std::string& data, uint32_t crc) {
  std::string out(11, '\x5A');
  out.push_back(static_cast<char>(crc >> 24));
  out += data;
  ZipCipher(password).Encrypt(reinterpret_cast<unsigned char*>(&out[0]), out.size());
  return out;
}

}  // namespace

std::string BuildZip(const std::vector<ZipEntrySpec>& entries) {
  constexpr uint32_t kUtf8NameFlag = 0x0800;
  constexpr uint32_t kEncryptedFlag = 0x0001;
  std::string archive;
  std::string directory;
  std::vector<uint32_t> offsets;
  for (const ZipEntrySpec& entry : entries) {
    uint32_t crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(entry.data.data()), static_cast<uInt>(entry.data.size())));
    if (entry.wrong_crc) crc ^= 0x5A5A5A5A;
    const std::string packed = entry.deflate ? RawDeflate(entry.data) : entry.data;
    const std::string stored =
        entry.password.empty() ? packed : Encrypt(entry.password, packed, crc);
    const uint32_t flags = kUtf8NameFlag | (entry.password.empty() ? 0 : kEncryptedFlag);
    const uint32_t method = entry.method >= 0 ? static_cast<uint32_t>(entry.method) : entry.deflate ? 8 : 0;
    const uint32_t size =
        static_cast<uint32_t>(entry.announced_size >= 0 ? entry.announced_size : static_cast<int64_t>(entry.data.size()));
    const uint32_t offset = entry.data_of >= 0 ? offsets.at(static_cast<size_t>(entry.data_of))
                                               : static_cast<uint32_t>(archive.size());
    offsets.push_back(offset);
    const std::string extra(entry.extra.begin(), entry.extra.end());

    if (entry.data_of < 0) {
      Put32(&archive, 0x04034B50);
      Put16(&archive, 20);
      Put16(&archive, flags);
      Put16(&archive, method);
      Put32(&archive, entry.dos_date_time);  // time, then date
      Put32(&archive, crc);
      Put32(&archive, static_cast<uint32_t>(stored.size()));
      Put32(&archive, size);
      Put16(&archive, static_cast<uint32_t>(entry.name.size()));
      Put16(&archive, static_cast<uint32_t>(extra.size()));
      archive += entry.name + extra + stored;
    }

    Put32(&directory, 0x02014B50);
    Put16(&directory, entry.version_made_by);
    Put16(&directory, 20);
    Put16(&directory, flags);
    Put16(&directory, method);
    Put32(&directory, entry.dos_date_time);
    Put32(&directory, crc);
    Put32(&directory, static_cast<uint32_t>(stored.size()));
    Put32(&directory, size);
    Put16(&directory, static_cast<uint32_t>(entry.name.size()));
    Put16(&directory, static_cast<uint32_t>(extra.size()));
    Put16(&directory, 0);  // comment
    Put16(&directory, 0);  // disk
    Put16(&directory, 0);  // internal attributes
    Put32(&directory, entry.external_attributes);
    Put32(&directory, offset);
    directory += entry.name + extra;
  }
  const uint32_t directory_offset = static_cast<uint32_t>(archive.size());
  archive += directory;
  Put32(&archive, 0x06054B50);
  Put16(&archive, 0);
  Put16(&archive, 0);
  Put16(&archive, static_cast<uint32_t>(entries.size()));
  Put16(&archive, static_cast<uint32_t>(entries.size()));
  Put32(&archive, static_cast<uint32_t>(directory.size()));
  Put32(&archive, directory_offset);
  Put16(&archive, 0);
  return archive;
}

std::string WithZip64EndRecord(const std::string& archive, uint64_t entries) {
  constexpr size_t kEndRecordBytes = 22;
  const size_t end = archive.size() - kEndRecordBytes;  // BuildZip writes no comment
  std::string out = archive.substr(0, end);
  Put32(&out, 0x06064B50);
  Put64(&out, 44);  // the size of the rest of this record
  Put16(&out, 45);
  Put16(&out, 45);
  Put32(&out, 0);
  Put32(&out, 0);
  Put64(&out, entries);  // on this disk
  Put64(&out, entries);  // in all
  Put64(&out, Get32(archive, end + 12));  // directory size
  Put64(&out, Get32(archive, end + 16));  // directory offset
  Put32(&out, 0x07064B50);
  Put32(&out, 0);
  Put64(&out, end);  // where the zip64 record is
  Put32(&out, 1);
  Put32(&out, 0x06054B50);
  Put16(&out, 0);
  Put16(&out, 0);
  Put16(&out, 0xFFFF);
  Put16(&out, 0xFFFF);
  Put32(&out, 0xFFFFFFFF);
  Put32(&out, 0xFFFFFFFF);
  Put16(&out, 0);
  return out;
}

std::vector<unsigned char> ExtendedTimeBlock(unsigned char flags, const std::vector<uint32_t>& unix_times) {
  const size_t length = 1 + 4 * unix_times.size();
  std::vector<unsigned char> block = {0x55, 0x54, static_cast<unsigned char>(length & 0xFF),
                                      static_cast<unsigned char>(length >> 8), flags};
  for (uint32_t time : unix_times) {
    for (int shift = 0; shift < 32; shift += 8) block.push_back(static_cast<unsigned char>(time >> shift));
  }
  return block;
}

uint32_t DosDateTime(int year, int month, int day, int hour, int minute, int second) {
  const uint32_t date = static_cast<uint32_t>(((year - 1980) << 9) | (month << 5) | day);
  const uint32_t time = static_cast<uint32_t>((hour << 11) | (minute << 5) | (second / 2));
  return (date << 16) | time;
}

bool WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

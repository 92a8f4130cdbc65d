#include "common/zip_cipher.h"

#include <zlib.h>

namespace {

uint32_t Crc(uint32_t crc, unsigned char byte) {
  return static_cast<uint32_t>(get_crc_table()[(crc ^ byte) & 0xFF]) ^ (crc >> 8);
}

}  // namespace

ZipCipher::ZipCipher(const std::string& password) {
  for (char ch : password) Update(static_cast<unsigned char>(ch));
}

unsigned char ZipCipher::KeyByte() const {
  const uint32_t temp = keys_[2] | 2;
  return static_cast<unsigned char>((temp * (temp ^ 1)) >> 8);
}

void ZipCipher::Update(unsigned char plain) {
  keys_[0] = Crc(keys_[0], plain);
  keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813 + 1;
  keys_[2] = Crc(keys_[2], static_cast<unsigned char>(keys_[1] >> 24));
}

void ZipCipher::Encrypt(unsigned char* data, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    const unsigned char plain = data[i];
    data[i] = static_cast<unsigned char>(plain ^ KeyByte());
    Update(plain);
  }
}

void ZipCipher::Decrypt(unsigned char* data, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    data[i] = static_cast<unsigned char>(data[i] ^ KeyByte());
    Update(data[i]);
  }
}

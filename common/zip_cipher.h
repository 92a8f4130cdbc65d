#pragma once
// The traditional PKWARE zip cipher, which minizip as built here leaves out: three keys stirred
// by the password and then by every plain byte.
#include <cstddef>
#include <cstdint>
#include <string>

class ZipCipher {
 public:
  // `password` as its bytes (the ANSI code page for the installer's archives).
  explicit ZipCipher(const std::string& password);

  // In place, continuing from the bytes before.
  void Encrypt(unsigned char* data, size_t size);
  void Decrypt(unsigned char* data, size_t size);

 private:
  unsigned char KeyByte() const;
  void Update(unsigned char plain);

  uint32_t keys_[3] = {0x12345678, 0x23456789, 0x34567890};
};

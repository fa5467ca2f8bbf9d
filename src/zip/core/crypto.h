// Traditional PKWARE encryption: three 32-bit keys stirred by the password and by every
// plain byte, and a 12-byte header in front of the data whose last byte checks the password.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quillow::zip {

inline constexpr size_t kCryptHeader = 12;

class ZipCrypto {
 public:
  explicit ZipCrypto(std::string_view password);
  void Decrypt(uint8_t* data, size_t n);
  void Encrypt(uint8_t* data, size_t n);
  // Decrypts a member's header; true when its last byte equals `check` (the high byte of the
  // CRC, or of the DOS time when sizes follow the data).
  bool OpenHeader(uint8_t header[kCryptHeader], uint8_t check);
  // Fills and encrypts a header for a member whose check byte is `check`.
  void MakeHeader(uint8_t header[kCryptHeader], uint8_t check);

 private:
  uint8_t Stream() const;
  void Update(uint8_t plain);
  uint32_t k0_ = 0x12345678, k1_ = 0x23456789, k2_ = 0x34567890;
};

}  // namespace quillow::zip

#include "zip/core/crypto.h"

#include <zlib.h>

#include <random>

namespace quillow::zip {

namespace {

uint32_t CrcStep(uint32_t crc, uint8_t b) {
  static const z_crc_t* table = get_crc_table();
  return table[(crc ^ b) & 0xFF] ^ (crc >> 8);
}

}  // namespace

ZipCrypto::ZipCrypto(std::string_view password) {
  for (char c : password) Update(static_cast<uint8_t>(c));
}

uint8_t ZipCrypto::Stream() const {
  const uint32_t t = (k2_ | 2) & 0xFFFF;
  return static_cast<uint8_t>((t * (t ^ 1)) >> 8);
}

void ZipCrypto::Update(uint8_t plain) {
  k0_ = CrcStep(k0_, plain);
  k1_ = (k1_ + (k0_ & 0xFF)) * 134775813u + 1;
  k2_ = CrcStep(k2_, static_cast<uint8_t>(k1_ >> 24));
}

void ZipCrypto::Decrypt(uint8_t* data, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    data[i] ^= Stream();
    Update(data[i]);
  }
}

void ZipCrypto::Encrypt(uint8_t* data, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const uint8_t plain = data[i];
    data[i] ^= Stream();
    Update(plain);
  }
}

bool ZipCrypto::OpenHeader(uint8_t header[kCryptHeader], uint8_t check) {
  Decrypt(header, kCryptHeader);
  return header[kCryptHeader - 1] == check;
}

void ZipCrypto::MakeHeader(uint8_t header[kCryptHeader], uint8_t check) {
  static thread_local std::mt19937 rng{std::random_device{}()};
  for (size_t i = 0; i + 1 < kCryptHeader; ++i) header[i] = static_cast<uint8_t>(rng());
  header[kCryptHeader - 1] = check;
  Encrypt(header, kCryptHeader);
}

}  // namespace quillow::zip

#include "ZipCrypto.h"

#include <zlib.h>

#include "ZipFormat.h"

namespace zipcore {

namespace {

// One step of the CRC-32 table update the cipher defines.
uint32_t Crc32Step(uint32_t crc, uint8_t byte) {
    static const z_crc_t* table = get_crc_table();
    return table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
}

}  // namespace

ZipCrypto::ZipCrypto(const std::string& password) {
    for (char c : password) UpdateKeys(static_cast<uint8_t>(c));
}

uint8_t ZipCrypto::KeyStreamByte() const {
    // Unsigned 32-bit arithmetic: the 16-bit operands would otherwise be
    // promoted to int and their product overflow.
    uint32_t temp = (key2_ & 0xFFFF) | 2;
    return static_cast<uint8_t>((temp * (temp ^ 1)) >> 8);
}

void ZipCrypto::UpdateKeys(uint8_t plain) {
    key0_ = Crc32Step(key0_, plain);
    key1_ = (key1_ + (key0_ & 0xFF)) * 134775813u + 1;
    key2_ = Crc32Step(key2_, static_cast<uint8_t>(key1_ >> 24));
}

void ZipCrypto::Decrypt(uint8_t* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        uint8_t plain = data[i] ^ KeyStreamByte();
        UpdateKeys(plain);
        data[i] = plain;
    }
}

void ZipCrypto::Encrypt(uint8_t* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        uint8_t plain = data[i];
        data[i] = plain ^ KeyStreamByte();
        UpdateKeys(plain);
    }
}

uint8_t EncryptionCheckByte(uint16_t flags, uint32_t crc32, uint16_t dosTime) {
    if (flags & kFlagDataDescriptor) return static_cast<uint8_t>(dosTime >> 8);
    return static_cast<uint8_t>(crc32 >> 24);
}

void MakeEncryptionHeader(uint8_t header[12], uint8_t checkByte, uint32_t (*random)(void* context), void* context) {
    for (int i = 0; i < 11; ++i) header[i] = static_cast<uint8_t>(random(context) >> 7);
    header[11] = checkByte;
}

}  // namespace zipcore

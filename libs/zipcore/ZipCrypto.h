// Traditional PKWARE encryption (APPNOTE 6.1): the three-key stream cipher
// used by "zip -P". Weak, but it is what Zip tools exchange. Portable.
//
// Usage when reading: ZipCrypto c(password); c.Decrypt(header, 12);
// CheckByteMatches(header, ...) tells a wrong password apart with 255/256
// certainty; then Decrypt the member's data in order.
// Usage when writing: ZipCrypto c(password); MakeEncryptionHeader(...);
// Encrypt(header, 12); then Encrypt the compressed data in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zipcore {

class ZipCrypto {
public:
    explicit ZipCrypto(const std::string& password);

    // Decrypts in place, advancing the key state.
    void Decrypt(uint8_t* data, size_t size);
    // Encrypts in place, advancing the key state.
    void Encrypt(uint8_t* data, size_t size);

private:
    uint8_t KeyStreamByte() const;
    void UpdateKeys(uint8_t plain);

    uint32_t key0_ = 0x12345678;
    uint32_t key1_ = 0x23456789;
    uint32_t key2_ = 0x34567890;
};

// The byte the last decrypted header byte must equal: the high byte of the
// CRC, or the high byte of the DOS time when the sizes follow in a data
// descriptor (flag bit 3).
uint8_t EncryptionCheckByte(uint16_t flags, uint32_t crc32, uint16_t dosTime);

// Fills a 12-byte plain header: 11 bytes from `random`, then the check byte.
// `random` must give a new value on each call (the writer's own generator).
void MakeEncryptionHeader(uint8_t header[12], uint8_t checkByte, uint32_t (*random)(void* context), void* context);

}  // namespace zipcore

// WinZip AES encryption (method 99), reading side. The extra field 0x9901
// gives the vendor version (AE-1 keeps the CRC, AE-2 stores 0 instead),
// the strength (1, 2, 3: AES-128, 192, 256) and the real compression
// method. The member's data is: salt (8, 12 or 16 bytes), a 2-byte password
// verifier, the encrypted data, and a 10-byte authentication code. The
// keys come from PBKDF2-HMAC-SHA1 (1000 iterations) of the password and
// salt: the AES key, the HMAC key, then the verifier. The data is AES in
// counter mode (a little-endian counter from 1); the code is the first 10
// bytes of HMAC-SHA1 over the encrypted data. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ArchiveReader.h"
#include "CryptoProvider.h"

namespace zipcore {

constexpr size_t kAesVerifierSize = 2;
constexpr size_t kAesCodeSize = 10;
constexpr uint32_t kAesIterations = 1000;

struct AesField {
    uint16_t vendorVersion = 0;  // 1: AE-1, 2: AE-2 (no CRC)
    uint8_t strength = 0;        // 1, 2, 3
    uint16_t method = 0;         // the real compression method
    size_t KeySize() const { return 8u + 8u * strength; }
    size_t SaltSize() const { return 4u + 4u * strength; }
    // Salt, verifier and authentication code around the encrypted data.
    size_t Overhead() const { return SaltSize() + kAesVerifierSize + kAesCodeSize; }
    bool ChecksCrc() const { return vendorVersion != 2; }
};

// The member's 0x9901 field, when it is an AES member with a valid one.
bool FindAesField(const MemberInfo& member, AesField& field);

// The method the member's data is compressed with (the real one for AES).
uint16_t DataMethodOf(const MemberInfo& member);

// The member's compressed size without the encryption's own bytes (its
// header, or AES's salt, verifier and code), as listings show it.
uint64_t ListedCompressedSize(const MemberInfo& member);

// Decrypts one member's data and authenticates it.
class WinZipAesDecryptor {
public:
    WinZipAesDecryptor() = default;
    WinZipAesDecryptor(const WinZipAesDecryptor&) = delete;
    WinZipAesDecryptor& operator=(const WinZipAesDecryptor&) = delete;

    // Derives the keys of `password` with the member's salt; false when
    // the platform's cryptography fails.
    bool Start(CryptoProvider& crypto, const AesField& field, const std::string& password, const uint8_t* salt);
    // The derived verifier against the member's; a mismatch is a wrong
    // password (a wrong one passes once in 65536 times; the code then fails).
    bool VerifierMatches(const uint8_t* verifier) const;
    // Authenticates then decrypts a run of the encrypted data, in order.
    bool Decrypt(uint8_t* data, size_t size);
    // Whether the stored code matches the data given to Decrypt.
    bool Authentic(const uint8_t* storedCode);

private:
    bool NextKeyStream();

    std::unique_ptr<BlockCipher> cipher_;
    std::unique_ptr<MessageAuthenticator> authenticator_;
    uint8_t verifier_[kAesVerifierSize] = {};
    uint8_t counter_[kAesBlockSize] = {};
    std::vector<uint8_t> keyStream_;
    size_t keyStreamUsed_ = 0;
};

}  // namespace zipcore

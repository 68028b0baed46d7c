// The cryptography WinZip AES needs, given by the platform: PBKDF2 with
// HMAC-SHA1, the AES block cipher and HMAC-SHA1. The core builds the
// counter mode and the WinZip key layout on these; it has no cipher of its
// own. The Windows DLL gives Windows CNG (bcrypt.dll); a host without one
// gives none, and AES members are then reported as unsupported. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace zipcore {

constexpr size_t kAesBlockSize = 16;
constexpr size_t kSha1Size = 20;

class BlockCipher {
public:
    virtual ~BlockCipher() = default;
    // Encrypts `blocks` blocks of 16 bytes in place, each on its own (ECB).
    virtual bool EncryptBlocks(uint8_t* data, size_t blocks) = 0;
};

class MessageAuthenticator {
public:
    virtual ~MessageAuthenticator() = default;
    virtual bool Update(const uint8_t* data, size_t size) = 0;
    // The 20-byte code of everything given to Update.
    virtual bool Finish(uint8_t* code) = 0;
};

class CryptoProvider {
public:
    virtual ~CryptoProvider() = default;
    // PBKDF2 with HMAC-SHA1 over the password's bytes.
    virtual bool DeriveKey(const std::string& password, const uint8_t* salt, size_t saltSize, uint32_t iterations,
                           uint8_t* key, size_t keySize) = 0;
    // AES with a 16, 24 or 32-byte key; nullptr on failure.
    virtual std::unique_ptr<BlockCipher> MakeAes(const uint8_t* key, size_t keySize) = 0;
    // HMAC-SHA1 with `key`; nullptr on failure.
    virtual std::unique_ptr<MessageAuthenticator> MakeHmacSha1(const uint8_t* key, size_t keySize) = 0;
};

}  // namespace zipcore

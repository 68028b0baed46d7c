// The cryptography of WinZip AES members from Windows CNG (bcrypt.dll,
// present on every Windows since Vista and in Wine): PBKDF2-HMAC-SHA1, AES
// (single blocks, for the core's counter mode) and HMAC-SHA1.
#pragma once

#include <windows.h>

#include <bcrypt.h>

#include "CryptoProvider.h"
#include "Handles.h"

namespace qnruz {

struct AlgorithmTraits {
    static BCRYPT_ALG_HANDLE Invalid() { return nullptr; }
    static bool IsValid(BCRYPT_ALG_HANDLE h) { return h != nullptr; }
    static void Close(BCRYPT_ALG_HANDLE h) { BCryptCloseAlgorithmProvider(h, 0); }
};
using AlgorithmHandle = bralto::UniqueHandle<BCRYPT_ALG_HANDLE, AlgorithmTraits>;

class CngCrypto : public zipcore::CryptoProvider {
public:
    bool DeriveKey(const std::string& password, const uint8_t* salt, size_t saltSize, uint32_t iterations,
                   uint8_t* key, size_t keySize) override;
    std::unique_ptr<zipcore::BlockCipher> MakeAes(const uint8_t* key, size_t keySize) override;
    std::unique_ptr<zipcore::MessageAuthenticator> MakeHmacSha1(const uint8_t* key, size_t keySize) override;

private:
    // The providers are opened at the first AES member of a job.
    bool OpenHmac();
    bool OpenAes();

    AlgorithmHandle hmac_;
    AlgorithmHandle aes_;
};

}  // namespace qnruz

// The cryptography of WinZip AES for the native tests only, from OpenSSL's
// libcrypto: the Windows DLL uses Windows CNG instead.
#pragma once

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include "CryptoProvider.h"

namespace ziptest {

class OpenSslAes : public zipcore::BlockCipher {
public:
    OpenSslAes(const uint8_t* key, size_t keySize) : context_(EVP_CIPHER_CTX_new()) {
        const EVP_CIPHER* cipher = keySize == 16   ? EVP_aes_128_ecb()
                                   : keySize == 24 ? EVP_aes_192_ecb()
                                                   : EVP_aes_256_ecb();
        ok_ = context_ && EVP_EncryptInit_ex(context_, cipher, nullptr, key, nullptr) == 1 &&
              EVP_CIPHER_CTX_set_padding(context_, 0) == 1;
    }
    ~OpenSslAes() override { EVP_CIPHER_CTX_free(context_); }
    OpenSslAes(const OpenSslAes&) = delete;
    OpenSslAes& operator=(const OpenSslAes&) = delete;
    bool Ok() const { return ok_; }
    bool EncryptBlocks(uint8_t* data, size_t blocks) override {
        int written = 0;
        return EVP_EncryptUpdate(context_, data, &written, data, static_cast<int>(blocks * zipcore::kAesBlockSize)) ==
               1;
    }

private:
    EVP_CIPHER_CTX* context_;
    bool ok_ = false;
};

class OpenSslHmac : public zipcore::MessageAuthenticator {
public:
    OpenSslHmac(const uint8_t* key, size_t keySize) {
        mac_ = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
        context_ = mac_ ? EVP_MAC_CTX_new(mac_) : nullptr;
        char digest[] = "SHA1";
        OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
                               OSSL_PARAM_construct_end()};
        ok_ = context_ && EVP_MAC_init(context_, key, keySize, params) == 1;
    }
    ~OpenSslHmac() override {
        EVP_MAC_CTX_free(context_);
        EVP_MAC_free(mac_);
    }
    OpenSslHmac(const OpenSslHmac&) = delete;
    OpenSslHmac& operator=(const OpenSslHmac&) = delete;
    bool Ok() const { return ok_; }
    bool Update(const uint8_t* data, size_t size) override { return EVP_MAC_update(context_, data, size) == 1; }
    bool Finish(uint8_t* code) override {
        size_t size = 0;
        return EVP_MAC_final(context_, code, &size, zipcore::kSha1Size) == 1 && size == zipcore::kSha1Size;
    }

private:
    EVP_MAC* mac_ = nullptr;
    EVP_MAC_CTX* context_ = nullptr;
    bool ok_ = false;
};

class OpenSslCrypto : public zipcore::CryptoProvider {
public:
    bool DeriveKey(const std::string& password, const uint8_t* salt, size_t saltSize, uint32_t iterations,
                   uint8_t* key, size_t keySize) override {
        return PKCS5_PBKDF2_HMAC_SHA1(password.data(), static_cast<int>(password.size()), salt,
                                      static_cast<int>(saltSize), static_cast<int>(iterations),
                                      static_cast<int>(keySize), key) == 1;
    }
    std::unique_ptr<zipcore::BlockCipher> MakeAes(const uint8_t* key, size_t keySize) override {
        auto aes = std::make_unique<OpenSslAes>(key, keySize);
        return aes->Ok() ? std::move(aes) : nullptr;
    }
    std::unique_ptr<zipcore::MessageAuthenticator> MakeHmacSha1(const uint8_t* key, size_t keySize) override {
        auto hmac = std::make_unique<OpenSslHmac>(key, keySize);
        return hmac->Ok() ? std::move(hmac) : nullptr;
    }
};

}  // namespace ziptest

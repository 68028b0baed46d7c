#include "CngCrypto.h"

namespace qnruz {

namespace {

bool Succeeded(NTSTATUS status) { return status >= 0; }

struct KeyTraits {
    static BCRYPT_KEY_HANDLE Invalid() { return nullptr; }
    static bool IsValid(BCRYPT_KEY_HANDLE h) { return h != nullptr; }
    static void Close(BCRYPT_KEY_HANDLE h) { BCryptDestroyKey(h); }
};
struct HashTraits {
    static BCRYPT_HASH_HANDLE Invalid() { return nullptr; }
    static bool IsValid(BCRYPT_HASH_HANDLE h) { return h != nullptr; }
    static void Close(BCRYPT_HASH_HANDLE h) { BCryptDestroyHash(h); }
};

class CngAes : public zipcore::BlockCipher {
public:
    explicit CngAes(bralto::UniqueHandle<BCRYPT_KEY_HANDLE, KeyTraits> key) : key_(std::move(key)) {}
    bool EncryptBlocks(uint8_t* data, size_t blocks) override {
        ULONG size = static_cast<ULONG>(blocks * zipcore::kAesBlockSize);
        ULONG written = 0;
        return Succeeded(BCryptEncrypt(key_.get(), data, size, nullptr, nullptr, 0, data, size, &written, 0)) &&
               written == size;
    }

private:
    bralto::UniqueHandle<BCRYPT_KEY_HANDLE, KeyTraits> key_;
};

class CngHmac : public zipcore::MessageAuthenticator {
public:
    explicit CngHmac(bralto::UniqueHandle<BCRYPT_HASH_HANDLE, HashTraits> hash) : hash_(std::move(hash)) {}
    bool Update(const uint8_t* data, size_t size) override {
        // BCryptHashData takes a ULONG: a larger run goes in pieces.
        while (size > 0) {
            ULONG run = static_cast<ULONG>(size > 0x40000000u ? 0x40000000u : size);
            if (!Succeeded(BCryptHashData(hash_.get(), const_cast<PUCHAR>(data), run, 0))) return false;
            data += run;
            size -= run;
        }
        return true;
    }
    bool Finish(uint8_t* code) override {
        return Succeeded(BCryptFinishHash(hash_.get(), code, static_cast<ULONG>(zipcore::kSha1Size), 0));
    }

private:
    bralto::UniqueHandle<BCRYPT_HASH_HANDLE, HashTraits> hash_;
};

}  // namespace

bool CngCrypto::OpenHmac() {
    if (!hmac_)
        return Succeeded(
            BCryptOpenAlgorithmProvider(hmac_.put(), BCRYPT_SHA1_ALGORITHM, nullptr, BCRYPT_ALG_HANDLE_HMAC_FLAG));
    return true;
}

bool CngCrypto::OpenAes() {
    if (aes_) return true;
    AlgorithmHandle aes;
    if (!Succeeded(BCryptOpenAlgorithmProvider(aes.put(), BCRYPT_AES_ALGORITHM, nullptr, 0))) return false;
    // Single blocks: the counter mode is built on them.
    static wchar_t ecb[] = BCRYPT_CHAIN_MODE_ECB;
    if (!Succeeded(BCryptSetProperty(aes.get(), BCRYPT_CHAINING_MODE, reinterpret_cast<PUCHAR>(ecb), sizeof ecb, 0)))
        return false;
    aes_ = std::move(aes);
    return true;
}

bool CngCrypto::DeriveKey(const std::string& password, const uint8_t* salt, size_t saltSize, uint32_t iterations,
                          uint8_t* key, size_t keySize) {
    if (!OpenHmac()) return false;
    auto* bytes = reinterpret_cast<PUCHAR>(const_cast<char*>(password.data()));
    return Succeeded(BCryptDeriveKeyPBKDF2(hmac_.get(), bytes, static_cast<ULONG>(password.size()),
                                           const_cast<PUCHAR>(salt), static_cast<ULONG>(saltSize), iterations, key,
                                           static_cast<ULONG>(keySize), 0));
}

std::unique_ptr<zipcore::BlockCipher> CngCrypto::MakeAes(const uint8_t* key, size_t keySize) {
    if (!OpenAes()) return nullptr;
    bralto::UniqueHandle<BCRYPT_KEY_HANDLE, KeyTraits> handle;
    if (!Succeeded(BCryptGenerateSymmetricKey(aes_.get(), handle.put(), nullptr, 0, const_cast<PUCHAR>(key),
                                              static_cast<ULONG>(keySize), 0)))
        return nullptr;
    return std::make_unique<CngAes>(std::move(handle));
}

std::unique_ptr<zipcore::MessageAuthenticator> CngCrypto::MakeHmacSha1(const uint8_t* key, size_t keySize) {
    if (!OpenHmac()) return nullptr;
    bralto::UniqueHandle<BCRYPT_HASH_HANDLE, HashTraits> hash;
    if (!Succeeded(BCryptCreateHash(hmac_.get(), hash.put(), nullptr, 0, const_cast<PUCHAR>(key),
                                    static_cast<ULONG>(keySize), 0)))
        return nullptr;
    return std::make_unique<CngHmac>(std::move(hash));
}

}  // namespace qnruz

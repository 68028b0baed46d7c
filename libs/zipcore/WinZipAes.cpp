#include "WinZipAes.h"

#include <algorithm>
#include <cstring>

#include "ZipFormat.h"

namespace zipcore {

namespace {

constexpr size_t kAesFieldSize = 7;
// Key stream made per call of the cipher: one call per 64 KiB of data.
constexpr size_t kKeyStreamBlocks = 4096;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

}  // namespace

bool FindAesField(const MemberInfo& member, AesField& field) {
    if (member.method != kMethodAes || !member.IsEncrypted()) return false;
    const std::vector<uint8_t>& extra = member.centralExtra;
    for (size_t at = 0; at + 4 <= extra.size();) {
        uint16_t id = Le16(&extra[at]);
        size_t size = Le16(&extra[at + 2]);
        if (at + 4 + size > extra.size()) return false;
        const uint8_t* data = &extra[at + 4];
        if (id == kExtraAes) {
            if (size < kAesFieldSize || data[2] != 'A' || data[3] != 'E') return false;
            field.vendorVersion = Le16(data);
            field.strength = data[4];
            field.method = Le16(data + 5);
            return (field.vendorVersion == 1 || field.vendorVersion == 2) && field.strength >= 1 &&
                   field.strength <= 3;
        }
        at += 4 + size;
    }
    return false;
}

uint16_t DataMethodOf(const MemberInfo& member) {
    AesField field;
    return FindAesField(member, field) ? field.method : member.method;
}

uint64_t ListedCompressedSize(const MemberInfo& member) {
    AesField field;
    uint64_t overhead = FindAesField(member, field) ? field.Overhead()
                        : member.IsEncrypted()          ? kEncryptionHeaderSize
                                                        : 0;
    return member.compressedSize >= overhead ? member.compressedSize - overhead : member.compressedSize;
}

bool WinZipAesDecryptor::Start(CryptoProvider& crypto, const AesField& field, const std::string& password,
                               const uint8_t* salt) {
    const size_t keySize = field.KeySize();
    std::vector<uint8_t> keys(2 * keySize + kAesVerifierSize);
    if (!crypto.DeriveKey(password, salt, field.SaltSize(), kAesIterations, keys.data(), keys.size())) return false;
    cipher_ = crypto.MakeAes(keys.data(), keySize);
    authenticator_ = crypto.MakeHmacSha1(keys.data() + keySize, keySize);
    std::memcpy(verifier_, keys.data() + 2 * keySize, kAesVerifierSize);
    std::fill(keys.begin(), keys.end(), 0);
    std::memset(counter_, 0, sizeof counter_);
    keyStream_.assign(kKeyStreamBlocks * kAesBlockSize, 0);
    keyStreamUsed_ = keyStream_.size();
    return cipher_ && authenticator_;
}

bool WinZipAesDecryptor::VerifierMatches(const uint8_t* verifier) const {
    return std::memcmp(verifier, verifier_, kAesVerifierSize) == 0;
}

bool WinZipAesDecryptor::NextKeyStream() {
    for (size_t block = 0; block < kKeyStreamBlocks; ++block) {
        for (uint8_t& byte : counter_)
            if (++byte != 0) break;
        std::memcpy(&keyStream_[block * kAesBlockSize], counter_, kAesBlockSize);
    }
    keyStreamUsed_ = 0;
    return cipher_->EncryptBlocks(keyStream_.data(), kKeyStreamBlocks);
}

bool WinZipAesDecryptor::Decrypt(uint8_t* data, size_t size) {
    if (!authenticator_->Update(data, size)) return false;
    while (size > 0) {
        if (keyStreamUsed_ == keyStream_.size() && !NextKeyStream()) return false;
        size_t run = std::min(size, keyStream_.size() - keyStreamUsed_);
        const uint8_t* key = &keyStream_[keyStreamUsed_];
        for (size_t i = 0; i < run; ++i) data[i] ^= key[i];
        data += run;
        size -= run;
        keyStreamUsed_ += run;
    }
    return true;
}

bool WinZipAesDecryptor::Authentic(const uint8_t* storedCode) {
    uint8_t code[kSha1Size];
    if (!authenticator_->Finish(code)) return false;
    // Compared in full whatever differs first: nothing to learn from timing.
    uint8_t difference = 0;
    for (size_t i = 0; i < kAesCodeSize; ++i) difference |= code[i] ^ storedCode[i];
    return difference == 0;
}

}  // namespace zipcore

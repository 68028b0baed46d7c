// libFuzzer target for the archive reader: every input is listed, tested
// and extracted (into memory) with a host that answers every question, so
// the directory checks, the local header checks, decryption and every
// decoder (inflate, Deflate64, BZip2, LZMA) see hostile bytes. WinZip AES
// members go through a stand-in for the platform's cryptography (no real
// cipher: all keys zero, the key stream the counter itself, the code zero),
// so that an input with a zero verifier and code reaches the AES framing
// and the decoders behind it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "CryptoProvider.h"
#include "FuzzMemory.h"
#include "UnzipJob.h"

namespace {

class StandInCipher : public zipcore::BlockCipher {
public:
    bool EncryptBlocks(uint8_t*, size_t) override { return true; }
};

class StandInAuthenticator : public zipcore::MessageAuthenticator {
public:
    bool Update(const uint8_t*, size_t) override { return true; }
    bool Finish(uint8_t* code) override {
        std::memset(code, 0, zipcore::kSha1Size);
        return true;
    }
};

class StandInCrypto : public zipcore::CryptoProvider {
public:
    bool DeriveKey(const std::string&, const uint8_t*, size_t, uint32_t, uint8_t* key, size_t keySize) override {
        std::memset(key, 0, keySize);
        return true;
    }
    std::unique_ptr<zipcore::BlockCipher> MakeAes(const uint8_t*, size_t) override {
        return std::make_unique<StandInCipher>();
    }
    std::unique_ptr<zipcore::MessageAuthenticator> MakeHmacSha1(const uint8_t*, size_t) override {
        return std::make_unique<StandInAuthenticator>();
    }
};

using fuzzsupport::MemoryInput;

class DiscardedFile : public zipcore::ExtractedFile {
public:
    bool Write(const uint8_t*, size_t) override { return true; }
    bool Commit(const std::string&, const zipcore::FileStamp&) override { return true; }
};

class FuzzHost : public zipcore::UnzipHost {
public:
    FuzzHost(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    std::string DecodeMemberName(const std::string& raw, bool) override { return raw; }
    std::string ToInterface(const std::string& utf8) override { return utf8; }
    std::string FromInterface(const std::string& text) override { return text; }
    void Print(const std::string&) override {}
    int Replace(const std::string&) override { return 102; }
    bool Password(const std::string&, const std::string&, std::string& password) override {
        password = "password";
        return true;
    }
    void DirectoryEntry(const zipcore::ListingEntry&) override {}
    zipcore::CryptoProvider* Crypto() override { return &crypto_; }
    bool Stop(const std::string&, uint64_t) override { return false; }
    std::unique_ptr<zipcore::ArchiveInput> OpenArchive(const std::string& path) override {
        if (path != "fuzz.zip") return nullptr;
        return std::make_unique<MemoryInput>(data_, size_);
    }
    zipcore::FileFacts Stat(const std::string&) override { return {}; }
    zipcore::FolderState MakeDirectory(const std::string&) override { return zipcore::FolderState::Created; }
    std::unique_ptr<zipcore::ExtractedFile> CreateTemporary(const std::string&) override {
        return std::make_unique<DiscardedFile>();
    }
    int64_t LocalTimeToUnix(const zipcore::DateTime& local) override { return zipcore::DateTimeToUnixTime(local); }

private:
    StandInCrypto crypto_;
    const uint8_t* data_;
    size_t size_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (int mode = 0; mode < 3; ++mode) {
        FuzzHost host(data, size);
        zipcore::UnzipOptions options;
        options.archivePath = "fuzz.zip";
        options.list = mode == 0;
        options.test = mode == 1;
        options.keepFolders = true;
        options.overwrite = true;
        options.textConvert = true;
        options.extractDir = "out";
        zipcore::ListingTotals totals;
        zipcore::RunUnzipJob(options, host, &totals);
    }
    return 0;
}

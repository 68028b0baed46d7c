// LZMA members (method 14) through xz's liblzma. The member's data starts
// with a small header of its own: a 2-byte encoder version, a 2-byte size
// of the properties (5), and the 5 LZMA1 properties (lc/lp/pb and the
// dictionary size); raw LZMA1 data follows, ending at the declared size or
// at an end marker (flag bit 1 says the encoder wrote one).
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <lzma.h>

#include "MemberDecoder.h"

namespace zipcore {

namespace {

constexpr size_t kHeaderSize = 4;
constexpr size_t kPropertiesSize = 5;
// Beyond the member's own size a dictionary only costs memory: nothing can
// refer further back than the start of the data. 7-Zip's largest
// dictionary is 1.5 GiB; a forged size asks no more than this.
constexpr uint32_t kMaxDictionary = 1536u * 1024 * 1024;
constexpr uint32_t kMinDictionary = 4096;

class LzmaDecoder : public MemberDecoder {
public:
    explicit LzmaDecoder(uint64_t size) : size_(size), output_(kOutputSize) {}
    ~LzmaDecoder() override { lzma_end(&stream_); }
    LzmaDecoder(const LzmaDecoder&) = delete;
    LzmaDecoder& operator=(const LzmaDecoder&) = delete;

    ExtractStatus Decode(CompressedInput& input, DecodedOutput& output) override {
        ExtractStatus status = Start(input);
        if (status != ExtractStatus::Ok) return status;
        for (;;) {
            if (stream_.avail_in == 0 && !Refill(input, status)) return status;
            stream_.next_out = output_.data();
            stream_.avail_out = output_.size();
            lzma_ret result = lzma_code(&stream_, LZMA_RUN);
            if (result != LZMA_OK && result != LZMA_STREAM_END) return ExtractStatus::DataError;
            size_t produced = output_.size() - stream_.avail_out;
            if (produced > 0) {
                status = output.Put(output_.data(), produced);
                if (status != ExtractStatus::Ok) return status;
            }
            if (result == LZMA_STREAM_END) return ExtractStatus::Ok;
        }
    }

private:
    bool Refill(CompressedInput& input, ExtractStatus& status) {
        const uint8_t* data = nullptr;
        size_t size = 0;
        if (!input.Next(data, size)) {
            status = ExtractStatus::ReadError;
            return false;
        }
        if (size == 0) {
            status = ExtractStatus::Truncated;
            return false;
        }
        stream_.next_in = data;
        stream_.avail_in = size;
        return true;
    }

    // Takes `count` bytes of the header from the input, across chunks.
    ExtractStatus TakeHeader(CompressedInput& input, uint8_t* to, size_t count) {
        while (count > 0) {
            ExtractStatus status = ExtractStatus::Ok;
            if (stream_.avail_in == 0 && !Refill(input, status)) return status;
            size_t n = std::min(count, stream_.avail_in);
            std::memcpy(to, stream_.next_in, n);
            stream_.next_in += n;
            stream_.avail_in -= n;
            to += n;
            count -= n;
        }
        return ExtractStatus::Ok;
    }

    ExtractStatus Start(CompressedInput& input) {
        uint8_t header[kHeaderSize];
        ExtractStatus status = TakeHeader(input, header, sizeof header);
        if (status != ExtractStatus::Ok) return status;
        if ((header[2] | header[3] << 8) != kPropertiesSize) return ExtractStatus::DataError;
        uint8_t properties[kPropertiesSize];
        status = TakeHeader(input, properties, sizeof properties);
        if (status != ExtractStatus::Ok) return status;

        lzma_filter filters[2] = {};
        filters[0].id = LZMA_FILTER_LZMA1EXT;
        filters[1].id = LZMA_VLI_UNKNOWN;
        if (lzma_properties_decode(&filters[0], nullptr, properties, sizeof properties) != LZMA_OK)
            return ExtractStatus::DataError;
        // Allocated by liblzma with the default allocator (malloc).
        std::unique_ptr<lzma_options_lzma, void (*)(void*)> options(
            static_cast<lzma_options_lzma*>(filters[0].options), std::free);
        uint64_t needed = std::max<uint64_t>(size_, kMinDictionary);
        options->dict_size = static_cast<uint32_t>(std::min<uint64_t>({options->dict_size, needed, kMaxDictionary}));
        // The declared size ends the stream; an end marker is taken too,
        // whether or not the flags announce one.
        options->ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
        options->ext_size_low = static_cast<uint32_t>(size_);
        options->ext_size_high = static_cast<uint32_t>(size_ >> 32);
        lzma_ret result = lzma_raw_decoder(&stream_, filters);
        if (result == LZMA_MEM_ERROR) return ExtractStatus::DataError;
        return result == LZMA_OK ? ExtractStatus::Ok : ExtractStatus::DataError;
    }

    static constexpr size_t kOutputSize = 256 * 1024;
    uint64_t size_;
    lzma_stream stream_ = LZMA_STREAM_INIT;
    std::vector<uint8_t> output_;
};

}  // namespace

std::unique_ptr<MemberDecoder> MakeLzmaDecoder(uint64_t size) { return std::make_unique<LzmaDecoder>(size); }

}  // namespace zipcore

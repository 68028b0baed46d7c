// BZip2 members (method 12) through bzip2's libbz2.
#include <bzlib.h>

#include "MemberDecoder.h"

// libbz2 built without stdio reports an internal inconsistency here instead
// of printing and ending the process. The decoder then fails the member.
namespace {
thread_local bool bzipInternalError = false;
}
extern "C" void bz_internal_error(int) { bzipInternalError = true; }

namespace zipcore {

namespace {

class Bzip2Decoder : public MemberDecoder {
public:
    Bzip2Decoder() : ready_(BZ2_bzDecompressInit(&stream_, 0, 0) == BZ_OK), output_(kOutputSize) {}
    ~Bzip2Decoder() override {
        if (ready_) BZ2_bzDecompressEnd(&stream_);
    }
    Bzip2Decoder(const Bzip2Decoder&) = delete;
    Bzip2Decoder& operator=(const Bzip2Decoder&) = delete;

    ExtractStatus Decode(CompressedInput& input, DecodedOutput& output) override {
        if (!ready_) return ExtractStatus::DataError;
        bzipInternalError = false;
        for (;;) {
            if (stream_.avail_in == 0) {
                const uint8_t* data = nullptr;
                size_t size = 0;
                if (!input.Next(data, size)) return ExtractStatus::ReadError;
                if (size == 0) return ExtractStatus::Truncated;
                stream_.next_in = reinterpret_cast<char*>(const_cast<uint8_t*>(data));
                stream_.avail_in = static_cast<unsigned>(size);
            }
            stream_.next_out = reinterpret_cast<char*>(output_.data());
            stream_.avail_out = static_cast<unsigned>(output_.size());
            int result = BZ2_bzDecompress(&stream_);
            if (bzipInternalError || (result != BZ_OK && result != BZ_STREAM_END)) return ExtractStatus::DataError;
            size_t produced = output_.size() - stream_.avail_out;
            if (produced > 0) {
                ExtractStatus status = output.Put(output_.data(), produced);
                if (status != ExtractStatus::Ok) return status;
            }
            if (result == BZ_STREAM_END) return ExtractStatus::Ok;
        }
    }

private:
    static constexpr size_t kOutputSize = 256 * 1024;
    bz_stream stream_{};
    bool ready_;
    std::vector<uint8_t> output_;
};

}  // namespace

std::unique_ptr<MemberDecoder> MakeBzip2Decoder() { return std::make_unique<Bzip2Decoder>(); }

}  // namespace zipcore

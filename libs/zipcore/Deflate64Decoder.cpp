// Deflate64 members (method 9, "enhanced deflate"): deflate with a 64 KiB
// window, a length code 285 that carries 16 extra bits (lengths 3 to
// 65538), and the distance codes 30 and 31 (up to 65536 back). zlib keeps
// its Deflate64 inflater out of the library (and Debian's source package
// drops it), so this is a small inflater of its own, table driven.
#include <algorithm>
#include <cstring>
#include <vector>

#include "MemberDecoder.h"

namespace zipcore {

namespace {

constexpr unsigned kMaxBits = 15;
constexpr size_t kWindowSize = 65536;
constexpr unsigned kEndOfBlock = 256;

constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 3};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 16};
constexpr uint32_t kDistanceBase[32] = {1,    2,    3,    4,    5,    7,     9,     13,    17,    25,   33,
                                        49,   65,   97,   129,  193,  257,   385,   513,   769,   1025, 1537,
                                        2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577, 32769, 49153};
constexpr uint8_t kDistanceExtra[32] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,  6,
                                        7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14, 14};
constexpr uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// A Huffman code as one table indexed by the next kMaxBits input bits (in
// stream order): each entry holds the symbol and its code length, 0 for a
// bit pattern that no code of an incomplete set starts.
class HuffmanTable {
public:
    HuffmanTable() : entries_(size_t{1} << kMaxBits) {}

    // False when the lengths over-subscribe the code space.
    bool Build(const uint8_t* lengths, unsigned count) {
        unsigned counts[kMaxBits + 1] = {};
        for (unsigned i = 0; i < count; ++i) ++counts[lengths[i]];
        counts[0] = 0;
        int left = 1;
        for (unsigned bits = 1; bits <= kMaxBits; ++bits) {
            left = (left << 1) - static_cast<int>(counts[bits]);
            if (left < 0) return false;
        }
        unsigned next[kMaxBits + 2] = {};
        for (unsigned bits = 1; bits <= kMaxBits; ++bits) next[bits + 1] = (next[bits] + counts[bits]) << 1;
        std::fill(entries_.begin(), entries_.end(), 0);
        for (unsigned symbol = 0; symbol < count; ++symbol) {
            unsigned length = lengths[symbol];
            if (length == 0) continue;
            unsigned code = next[length]++;
            unsigned reversed = 0;
            for (unsigned b = 0; b < length; ++b) reversed |= ((code >> b) & 1) << (length - 1 - b);
            uint16_t entry = static_cast<uint16_t>(symbol << 4 | length);
            for (size_t i = reversed; i < entries_.size(); i += size_t{1} << length) entries_[i] = entry;
        }
        return true;
    }

    uint16_t Lookup(uint32_t bits) const { return entries_[bits]; }

private:
    std::vector<uint16_t> entries_;
};

class Deflate64Decoder : public MemberDecoder {
public:
    Deflate64Decoder() : window_(kWindowSize) {}

    ExtractStatus Decode(CompressedInput& input, DecodedOutput& output) override {
        input_ = &input;
        output_ = &output;
        bool last = false;
        while (!last) {
            uint32_t header = 0;
            if (!Bits(3, header)) return failure_;
            last = (header & 1) != 0;
            ExtractStatus status = ExtractStatus::Ok;
            switch (header >> 1) {
            case 0: status = StoredBlock(); break;
            case 1: status = FixedBlock(); break;
            case 2: status = DynamicBlock(); break;
            default: return ExtractStatus::DataError;
            }
            if (status != ExtractStatus::Ok) return status;
        }
        return Flush();
    }

private:
    // ---- Input bits, least significant first ----
    // Makes `count` bits (at most 32) available. Past the input's end it
    // pads with zero bytes, so a table lookup near the end can peek; taking
    // a padding bit is the truncation.
    bool Fill(unsigned count) {
        if (bitCount_ >= count) return true;
        // Whole bytes at once while the chunk has eight to spare.
        if (size_ - position_ >= 8 && padBits_ == 0) {
            uint64_t word = 0;
            std::memcpy(&word, data_ + position_, 8);
            word = LittleEndian(word);
            unsigned bytes = (63 - bitCount_) / 8;
            bitBuffer_ |= (bytes == 8 ? word : word & ((uint64_t{1} << (8 * bytes)) - 1)) << bitCount_;
            position_ += bytes;
            bitCount_ += 8 * bytes;
            return true;
        }
        while (bitCount_ < count) {
            if (position_ == size_ && !NextChunk()) return false;
            if (position_ == size_) {
                padBits_ += 8;
            } else {
                bitBuffer_ |= uint64_t{data_[position_++]} << bitCount_;
            }
            bitCount_ += 8;
        }
        return true;
    }

    static uint64_t LittleEndian(uint64_t word) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        return __builtin_bswap64(word);
#else
        return word;
#endif
    }

    bool NextChunk() {
        if (ended_) return true;
        if (!input_->Next(data_, size_)) {
            failure_ = ExtractStatus::ReadError;
            return false;
        }
        position_ = 0;
        if (size_ == 0) ended_ = true;
        return true;
    }

    bool Drop(unsigned count) {
        bitBuffer_ >>= count;
        bitCount_ -= count;
        if (bitCount_ < padBits_) {
            failure_ = ExtractStatus::Truncated;
            return false;
        }
        return true;
    }

    bool Bits(unsigned count, uint32_t& value) {
        if (count == 0) {
            value = 0;
            return true;
        }
        if (!Fill(count)) return false;
        value = static_cast<uint32_t>(bitBuffer_ & ((uint64_t{1} << count) - 1));
        return Drop(count);
    }

    bool Symbol(const HuffmanTable& table, unsigned& symbol) {
        if (!Fill(kMaxBits)) return false;
        uint16_t entry = table.Lookup(static_cast<uint32_t>(bitBuffer_ & ((1u << kMaxBits) - 1)));
        if (entry == 0) {
            failure_ = ExtractStatus::DataError;
            return false;
        }
        symbol = entry >> 4;
        return Drop(entry & 15);
    }

    // ---- Output through the window ----
    ExtractStatus Put(uint8_t byte) {
        window_[windowPos_++] = byte;
        ++total_;
        if (windowPos_ == kWindowSize) return Flush();
        return ExtractStatus::Ok;
    }

    ExtractStatus Flush() {
        ExtractStatus status = ExtractStatus::Ok;
        if (windowPos_ > flushed_) status = output_->Put(window_.data() + flushed_, windowPos_ - flushed_);
        flushed_ = windowPos_ == kWindowSize ? 0 : windowPos_;
        if (windowPos_ == kWindowSize) windowPos_ = 0;
        return status;
    }

    // ---- Blocks ----
    ExtractStatus StoredBlock() {
        // Skip to a byte boundary (padding bits are never data).
        if (!Drop(bitCount_ % 8)) return failure_;
        uint32_t length = 0, complement = 0;
        if (!Bits(16, length) || !Bits(16, complement)) return failure_;
        if ((length ^ 0xffff) != complement) return ExtractStatus::DataError;
        // First the whole bytes already in the bit buffer, then straight
        // from the input.
        while (length > 0 && bitCount_ >= 8 + padBits_) {
            uint32_t byte = 0;
            if (!Bits(8, byte)) return failure_;
            ExtractStatus status = Put(static_cast<uint8_t>(byte));
            if (status != ExtractStatus::Ok) return status;
            --length;
        }
        if (length > 0 && bitCount_ > 0) return ExtractStatus::Truncated;  // only padding was left
        while (length > 0) {
            if (position_ == size_) {
                if (!NextChunk()) return failure_;
                if (ended_) return ExtractStatus::Truncated;
            }
            size_t run = std::min<size_t>({length, size_ - position_, kWindowSize - windowPos_});
            std::memcpy(window_.data() + windowPos_, data_ + position_, run);
            position_ += run;
            windowPos_ += run;
            total_ += run;
            length -= static_cast<uint32_t>(run);
            if (windowPos_ == kWindowSize) {
                ExtractStatus status = Flush();
                if (status != ExtractStatus::Ok) return status;
            }
        }
        return ExtractStatus::Ok;
    }

    ExtractStatus FixedBlock() {
        if (!fixedBuilt_) {
            uint8_t lengths[288 + 32];
            std::memset(lengths, 8, 144);
            std::memset(lengths + 144, 9, 112);
            std::memset(lengths + 256, 7, 24);
            std::memset(lengths + 280, 8, 8);
            std::memset(lengths + 288, 5, 32);
            fixedLiterals_.Build(lengths, 288);
            fixedDistances_.Build(lengths + 288, 32);
            fixedBuilt_ = true;
        }
        return Codes(fixedLiterals_, fixedDistances_);
    }

    ExtractStatus DynamicBlock() {
        uint32_t literalCount = 0, distanceCount = 0, lengthCount = 0;
        if (!Bits(5, literalCount) || !Bits(5, distanceCount) || !Bits(4, lengthCount)) return failure_;
        literalCount += 257;
        distanceCount += 1;
        lengthCount += 4;
        if (literalCount > 286) return ExtractStatus::DataError;

        uint8_t codeLengths[19] = {};
        for (uint32_t i = 0; i < lengthCount; ++i) {
            uint32_t value = 0;
            if (!Bits(3, value)) return failure_;
            codeLengths[kCodeLengthOrder[i]] = static_cast<uint8_t>(value);
        }
        if (!lengthCode_.Build(codeLengths, 19)) return ExtractStatus::DataError;

        uint8_t lengths[286 + 32] = {};
        uint32_t total = literalCount + distanceCount;
        for (uint32_t i = 0; i < total;) {
            unsigned symbol = 0;
            if (!Symbol(lengthCode_, symbol)) return failure_;
            if (symbol < 16) {
                lengths[i++] = static_cast<uint8_t>(symbol);
                continue;
            }
            uint32_t repeat = 0;
            uint8_t value = 0;
            if (symbol == 16) {
                if (i == 0) return ExtractStatus::DataError;
                value = lengths[i - 1];
                if (!Bits(2, repeat)) return failure_;
                repeat += 3;
            } else if (symbol == 17) {
                if (!Bits(3, repeat)) return failure_;
                repeat += 3;
            } else {
                if (!Bits(7, repeat)) return failure_;
                repeat += 11;
            }
            if (i + repeat > total) return ExtractStatus::DataError;
            while (repeat--) lengths[i++] = value;
        }
        if (lengths[kEndOfBlock] == 0) return ExtractStatus::DataError;
        if (!literals_.Build(lengths, literalCount) || !distances_.Build(lengths + literalCount, distanceCount))
            return ExtractStatus::DataError;
        return Codes(literals_, distances_);
    }

    ExtractStatus Codes(const HuffmanTable& literals, const HuffmanTable& distances) {
        for (;;) {
            unsigned symbol = 0;
            if (!Symbol(literals, symbol)) return failure_;
            if (symbol < 256) {
                ExtractStatus status = Put(static_cast<uint8_t>(symbol));
                if (status != ExtractStatus::Ok) return status;
                continue;
            }
            if (symbol == kEndOfBlock) return ExtractStatus::Ok;
            symbol -= 257;
            if (symbol >= 29) return ExtractStatus::DataError;
            uint32_t extra = 0;
            if (!Bits(kLengthExtra[symbol], extra)) return failure_;
            uint32_t length = kLengthBase[symbol] + extra;
            unsigned distanceSymbol = 0;
            if (!Symbol(distances, distanceSymbol)) return failure_;
            if (distanceSymbol >= 32) return ExtractStatus::DataError;
            if (!Bits(kDistanceExtra[distanceSymbol], extra)) return failure_;
            uint32_t distance = kDistanceBase[distanceSymbol] + extra;
            if (distance > total_) return ExtractStatus::DataError;
            ExtractStatus status = Copy(distance, length);
            if (status != ExtractStatus::Ok) return status;
        }
    }

    ExtractStatus Copy(uint32_t distance, uint32_t length) {
        size_t from = (windowPos_ + kWindowSize - distance) & (kWindowSize - 1);
        while (length > 0) {
            // Runs that wrap neither the source nor the target, nor reach
            // the flush point, are copied in one go (byte by byte when they
            // overlap, as a repeat must).
            size_t run = std::min<size_t>({length, kWindowSize - windowPos_, kWindowSize - from});
            uint8_t* to = window_.data() + windowPos_;
            const uint8_t* source = window_.data() + from;
            if (from + run <= windowPos_ || windowPos_ + run <= from) {
                std::memcpy(to, source, run);
            } else {
                for (size_t i = 0; i < run; ++i) to[i] = source[i];
            }
            windowPos_ += run;
            from = (from + run) & (kWindowSize - 1);
            total_ += run;
            length -= static_cast<uint32_t>(run);
            if (windowPos_ == kWindowSize) {
                ExtractStatus status = Flush();
                if (status != ExtractStatus::Ok) return status;
            }
        }
        return ExtractStatus::Ok;
    }

    CompressedInput* input_ = nullptr;
    DecodedOutput* output_ = nullptr;
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t position_ = 0;
    bool ended_ = false;
    uint64_t bitBuffer_ = 0;
    unsigned bitCount_ = 0;
    unsigned padBits_ = 0;
    ExtractStatus failure_ = ExtractStatus::DataError;

    std::vector<uint8_t> window_;
    size_t windowPos_ = 0;
    size_t flushed_ = 0;
    uint64_t total_ = 0;

    HuffmanTable lengthCode_, literals_, distances_, fixedLiterals_, fixedDistances_;
    bool fixedBuilt_ = false;
};

}  // namespace

std::unique_ptr<MemberDecoder> MakeDeflate64Decoder() { return std::make_unique<Deflate64Decoder>(); }

}  // namespace zipcore

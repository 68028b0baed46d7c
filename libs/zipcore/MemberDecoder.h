// Reading side of the Zip core: the decoders of the compression methods
// other tools write beside deflate (Deflate64, BZip2, LZMA). Each pulls the
// member's compressed bytes from a CompressedInput and pushes what it
// decodes to a DecodedOutput, which checks the sizes, the CRC and writes;
// a decoder holds only its own bounded state. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "MemberExtractor.h"

namespace zipcore {

class CompressedInput {
public:
    virtual ~CompressedInput() = default;
    // Next chunk of the member's compressed bytes; size 0 at the member's
    // end. False on a read error.
    virtual bool Next(const uint8_t*& data, size_t& size) = 0;
};

class DecodedOutput {
public:
    virtual ~DecodedOutput() = default;
    // Takes decoded bytes in order. Anything but Ok stops the decoder,
    // which returns that status.
    virtual ExtractStatus Put(const uint8_t* data, size_t size) = 0;
};

class MemberDecoder {
public:
    virtual ~MemberDecoder() = default;
    // Decodes one whole member: Ok once the compressed stream ended
    // properly (the output then checks the size and CRC); Truncated when
    // the input ends first; DataError on corrupt data.
    virtual ExtractStatus Decode(CompressedInput& input, DecodedOutput& output) = 0;
};

// Whether MakeMemberDecoder handles `method`.
bool HasMemberDecoder(uint16_t method);

// A decoder for a member of `method` (one HasMemberDecoder accepts), whose
// general-purpose flags are `flags` and whose declared uncompressed size is
// `size` (LZMA stops there when the stream carries no end marker).
std::unique_ptr<MemberDecoder> MakeMemberDecoder(uint16_t method, uint16_t flags, uint64_t size);

std::unique_ptr<MemberDecoder> MakeDeflate64Decoder();
std::unique_ptr<MemberDecoder> MakeBzip2Decoder();
std::unique_ptr<MemberDecoder> MakeLzmaDecoder(uint64_t size);

}  // namespace zipcore

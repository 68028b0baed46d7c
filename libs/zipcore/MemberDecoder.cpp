#include "MemberDecoder.h"

#include "ZipFormat.h"

namespace zipcore {

bool HasMemberDecoder(uint16_t method) {
    return method == kMethodDeflate64 || method == kMethodBzip2 || method == kMethodLzma;
}

std::unique_ptr<MemberDecoder> MakeMemberDecoder(uint16_t method, uint16_t flags, uint64_t size) {
    // The LZMA end-marker flag (bit 1) needs no handling: the decoder knows
    // the size and accepts a marker whether or not the flag announces one.
    (void)flags;
    switch (method) {
    case kMethodDeflate64: return MakeDeflate64Decoder();
    case kMethodBzip2: return MakeBzip2Decoder();
    case kMethodLzma: return MakeLzmaDecoder(size);
    default: return nullptr;
    }
}

}  // namespace zipcore

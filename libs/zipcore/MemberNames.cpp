#include "MemberNames.h"

#include <cstdio>

#include "ArchiveReader.h"
#include "ZipFormat.h"

namespace zipcore {

namespace {

constexpr char32_t kInvalid = 0xFFFFFFFF;

// Bytes in the sequence a lead byte starts; 0 for a byte no valid sequence
// starts with (continuation bytes, C0, C1 and F5 to FF).
size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// Decodes the code point at `text[pos]` and advances `pos`; kInvalid (and
// one byte consumed) for a byte that starts no valid UTF-8 sequence.
char32_t NextCodePoint(const std::string& text, size_t& pos) {
    auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    size_t length = SequenceLength(lead);
    if (length == 0 || pos + length > text.size()) {
        ++pos;
        return kInvalid;
    }
    char32_t c = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) {
            ++pos;
            return kInvalid;
        }
        c = (c << 6) | (byte(pos + i) & 0x3F);
    }
    bool overlong = (length == 3 && c < 0x800) || (length == 4 && c < 0x10000);
    bool surrogate = c >= 0xD800 && c <= 0xDFFF;
    if (overlong || surrogate || c > 0x10FFFF) {
        ++pos;
        return kInvalid;
    }
    pos += length;
    return c;
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Whether an escape's shape starts at `text[pos]` ('#').
bool EscapeShapeAt(const std::string& text, size_t pos) {
    if (pos + 1 >= text.size() || text[pos] != '#') return false;
    char kind = text[pos + 1];
    size_t digits = kind == 'U' || kind == 'u' ? 4 : kind == 'L' || kind == 'l' ? 6 : 0;
    if (digits == 0 || pos + 2 + digits > text.size()) return false;
    for (size_t i = 0; i < digits; ++i)
        if (!IsHexDigit(text[pos + 2 + i])) return false;
    return true;
}

void AppendEscape(char32_t c, std::string& out) {
    char text[16];
    if (c <= 0xFFFF)
        std::snprintf(text, sizeof text, "#U%04X", static_cast<unsigned>(c));
    else
        std::snprintf(text, sizeof text, "#L%06X", static_cast<unsigned>(c));
    out += text;
}

}  // namespace

bool IsValidUtf8(const std::string& bytes) {
    size_t pos = 0;
    while (pos < bytes.size())
        if (NextCodePoint(bytes, pos) == kInvalid) return false;
    return true;
}

bool HostUsesOemNames(uint16_t versionMadeBy) {
    uint16_t host = versionMadeBy >> 8;
    return host == kHostMsDos || host == kHostHpfs || host == kHostNtfs || host == kHostVfat;
}

bool KnownUtf8Name(const MemberInfo& member, std::string& utf8) {
    if (member.utf8 && IsValidUtf8(member.rawName)) {
        utf8 = member.rawName;
        return true;
    }
    if (!member.unicodeName.empty()) {
        utf8 = member.unicodeName;
        return true;
    }
    if (!HostUsesOemNames(member.versionMadeBy) && IsValidUtf8(member.rawName)) {
        utf8 = member.rawName;
        return true;
    }
    return false;
}

bool HasEscapeLookAlike(const std::string& text) {
    for (size_t pos = text.find('#'); pos != std::string::npos; pos = text.find('#', pos + 1))
        if (EscapeShapeAt(text, pos)) return true;
    return false;
}

std::string EncodeForInterface(const std::string& utf8, const CharEncoder& encode) {
    std::string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        size_t start = pos;
        char32_t c = NextCodePoint(utf8, pos);
        if (c == kInvalid) {
            AppendEscape(0xDC00 + static_cast<unsigned char>(utf8[start]), out);
            continue;
        }
        if (c == '#' && EscapeShapeAt(utf8, start)) {
            AppendEscape(c, out);
            continue;
        }
        if (!encode(c, out)) AppendEscape(c, out);
    }
    return out;
}

}  // namespace zipcore

// What an unzip job says: the listing's method and ratio texts, the
// messages of failed opens and failed members, and the job's result code.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "UnzipJobParts.h"
#include "WinZipAes.h"
#include "ZipFormat.h"

namespace zipcore {

std::string MethodText(uint16_t method, uint16_t flags) {
    switch (method) {
    case kMethodStored: return "Stored";
    case kMethodShrunk: return "Shrunk";
    case 2:
    case 3:
    case 4:
    case 5: return "Reduce" + std::to_string(method - 1);
    case kMethodImploded: return "Implode";
    case kMethodDeflated: {
        static const char levels[] = {'N', 'X', 'F', 'S'};
        return std::string("Defl:") + levels[(flags & kFlagDeflateOptionMask) >> 1];
    }
    case kMethodDeflate64: return "Def64#";
    case kMethodBzip2: return "BZip2";
    case kMethodLzma: return "LZMA";
    case kMethodZstd: return "Zstd";
    case kMethodXz: return "XZ";
    case kMethodPpmd: return "PPMd";
    case kMethodAes: return "AES";
    default: {
        char text[16];
        std::snprintf(text, sizeof text, "Unk:%03u", method);
        return text;
    }
    }
}

int CompressionRatio(uint64_t uncompressed, uint64_t compressed) {
    if (uncompressed == 0) return 0;
    double saved = 100.0 * (static_cast<double>(uncompressed) - static_cast<double>(compressed)) /
                   static_cast<double>(uncompressed);
    return static_cast<int>(std::clamp(std::lround(saved), -32768L, 32767L));
}

namespace unzip_job {

int Job::ReportOpenFailure(OpenResult result) {
    const std::string& path = options_.archivePath;
    if (result == OpenResult::NoEndRecord) {
        SayAlways(
            "End-of-central-directory signature not found.  Either this file is not a zipfile, or it "
            "constitutes one disk of a multi-part archive.\n");
        SayAlways("cannot find zipfile directory in one of " + path + " or " + path + ".zip, and cannot find " + path +
                  ".ZIP, period.\n");
        return kUnzipNoZipFile;
    }
    SayAlways("error [" + path + "]:  " + (reader_.Problem().empty() ? "read error" : reader_.Problem()) +
              " (the archive is damaged).\n");
    return kUnzipBadArchive;
}

// A member's name as messages show it: control characters (a NUL would end
// the message for a caller reading C strings) spelled as unzip spells them,
// "^@" for NUL, and a name too long for one message line shortened.
std::string Job::NameInMessage(const Member& member) const {
    constexpr size_t kLongest = 1024;
    std::string shown;
    for (char c : member.shownName) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            shown += '^';
            shown += static_cast<char>(u ^ 0x40);
        } else {
            shown += c;
        }
        if (shown.size() >= kLongest) return shown + "...";
    }
    return shown;
}

void Job::Refuse(const Member& member, const std::string& reason) {
    SayAlways("   skipping: " + NameInMessage(member) + "  refused: " + reason + "\n");
    ++counts_.errors;
}

void Job::SayTestSummary() {
    const std::string& path = options_.archivePath;
    const int failures = counts_.errors + counts_.wrongPassword;
    const int skipped = counts_.unsupported;
    const int tested = counts_.tested - skipped - counts_.wrongPassword;
    auto files = [](int n) { return std::to_string(n) + (n == 1 ? " file" : " files"); };
    if (failures > 0)
        SayAlways(std::to_string(failures) + (failures == 1 ? " error" : " errors") +
                  " detected in compressed data of " + path + ".\n");
    else if (skipped == 0)
        SayAlways("No errors detected in compressed data of " + path + ".\n");
    else if (tested <= 0)
        SayAlways("Caution:  zero files tested in " + path + ".\n");
    else
        SayAlways("No errors detected in " + path + " for the " + files(tested) + " tested.\n");
    // Members in a method this library does not read are not damaged:
    // they are counted apart, as unzip does.
    if (skipped > 0) SayAlways(files(skipped) + " skipped because of unsupported compression or encoding.\n");
}

void Job::ReportFailure(const Member& member, ExtractStatus status, MemberExtractor& extractor) {
    const MemberInfo& info = *member.info;
    switch (status) {
    case ExtractStatus::UnsupportedMethod: {
        uint16_t method = DataMethodOf(info);
        SayAlways("   skipping: " + NameInMessage(member) + "  unsupported compression method " + std::to_string(method) +
                  " (" + MethodText(method, info.flags) + ")\n");
        ++counts_.unsupported;
        return;
    }
    case ExtractStatus::UnsupportedEncryption:
        SayAlways("   skipping: " + NameInMessage(member) + "  " + ExtractStatusText(status) + "\n");
        ++counts_.unsupported;
        return;
    case ExtractStatus::BadPassword:
        SayAlways("   skipping: " + NameInMessage(member) + "  incorrect password\n");
        ++counts_.wrongPassword;
        return;
    case ExtractStatus::CrcMismatch: {
        char text[64];
        std::snprintf(text, sizeof text, "bad CRC %08lx  (should be %08lx)",
                      static_cast<unsigned long>(extractor.ProducedCrc()), static_cast<unsigned long>(info.crc32));
        SayAlways((options_.test ? "    testing: " : "  error:  ") + NameInMessage(member) + "   " + text +
                  (info.IsEncrypted() ? " (wrong password?)" : "") + "\n");
        break;
    }
    case ExtractStatus::WriteFailed: counts_.diskFull = true; [[fallthrough]];
    default:
        SayAlways((options_.test ? "    testing: " : "  error:  ") + NameInMessage(member) + "   " +
                  ExtractStatusText(status) + "\n");
        break;
    }
    ++counts_.errors;
}

int Job::FinalCode() {
    if (counts_.stopped) return kUnzipStopped;
    if (counts_.diskFull) return kUnzipDiskFull;
    if (counts_.errors > 0) return kUnzipError;
    if (counts_.wrongPassword > 0) return counts_.decrypted == 0 ? kUnzipBadPassword : kUnzipError;
    if (counts_.unsupported > 0) return kUnzipUnsupported;
    if (!options_.include.empty() && !anyMatched_) return kUnzipNothingMatched;
    return kUnzipOk;
}

}  // namespace unzip_job
}  // namespace zipcore

#include "ResultTexts.h"

#include "Texts.h"
#include "unzip_api.h"
#include "zip_api.h"

namespace bralto {

std::wstring ZipResultText(int code) {
    const std::wstring crlf = texts::kCrLf;
    switch (code) {
    case ZE_EOF:
    case ZE_FORM:
    case ZE_LOGIC:
    case ZE_TEMP:
    case ZE_READ:
    case ZE_NAME:
    case ZE_WRITE:
    case ZE_CREAT: return texts::kWriteError;
    case ZE_MEM: return texts::kOutOfMemory;
    case ZE_NONE: return texts::kNothingMatched;
    case ZE_PARMS:
        return texts::kParameters1 + crlf + texts::kParameters2 + texts::kParameters3 + crlf + texts::kParameters4;
    case ZE_OPEN: return std::wstring(texts::kErrorsDuring) + texts::kErrorsZipping;
    default: return std::wstring();
    }
}

std::wstring UnzipResultText(int code) {
    if (code == PK_OK || code == IZ_CTRLC) return std::wstring();
    return std::wstring(texts::kErrorsDuring) + texts::kErrorsExtracting;
}

std::wstring UnzipFailureDetail(int code) {
    namespace et = express_texts;
    if (code >= PK_MEM && code <= PK_MEM5) return et::kOutOfMemory;
    switch (code) {
    case PK_BADERR:
    case PK_EOF: return et::kArchiveDamaged;
    case PK_NOZIP: return et::kNotAnArchive;
    case PK_DISK: return et::kDiskFull;
    case IZ_UNSUP: return et::kUnsupported;
    case IZ_BADPWD: return et::kWrongPassword;
    default: return std::wstring();
    }
}

}  // namespace bralto

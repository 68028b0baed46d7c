#include "mZip.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <type_traits>

#include "AutomationError.h"
#include "EngineErrors.h"
#include "LibraryCalls.h"
#include "RuntimeLibrary.h"
#include "mUnzip.h"

namespace bralto {

namespace {

constexpr wchar_t kLibraryName[] = L"qnrz320.dll";
constexpr size_t kSpecTableSlots = kMaxZipSpecs + 1;
constexpr size_t kNameLimit = 32768;
constexpr size_t kCommentLimit = kZipCommentBufferSize - 1;  // characters before the NUL

IZipJob* g_currentListener = nullptr;
bool g_passwordGivenUp = false;

// The zip library, bound by name at the first call.
RuntimeLibrary& ZipLibrary() {
    static RuntimeLibrary library{kLibraryName, L"VBZip"};
    return library;
}

}  // namespace

IZipJob* CurrentZipListener() { return g_currentListener; }
bool ZipPasswordGivenUp() { return g_passwordGivenUp; }

long RunZip(IZipJob* job, ZPOPT& options, const std::vector<std::wstring>& specs, long count) {
    g_passwordGivenUp = false;
    CurrentListener<IZipJob> current(g_currentListener, job);
    try {
        std::wstring basePath = job ? job->BasePath() : std::wstring();
        if (!TrimSpaces(basePath).empty()) SetCurrentDirectoryW(basePath.c_str());

        ZIPUSERFUNCTIONS functions{};
        functions.print = ZipPrintCallback;
        functions.comment = ZipCommentCallback;
        functions.password = ZipPasswordCallback;
        functions.ServiceApplication = ZipServiceCallback;
        RuntimeLibrary& library = ZipLibrary();
        library.Entry<std::remove_pointer_t<ZpInitFunction>>("ZpInit")(&functions);
        library.Entry<std::remove_pointer_t<ZpSetOptionsFunction>>("ZpSetOptions")(&options);
        const size_t used =
            static_cast<size_t>(std::max<long>(0, std::min<long>(count, static_cast<long>(specs.size()))));
        LibraryNameTable table(specs, used, kSpecTableSlots, ZipLibrary().ErrorSource());
        std::string archive = ToAnsi(job ? job->ZipFile() : std::wstring());
        ZCL names{table.Count(), &archive[0], table.Table()};
        return library.Entry<std::remove_pointer_t<ZpArchiveFunction>>("ZpArchive")(names);
    } catch (const AutomationError& error) {
        throw AutomationError(error.Number(), ZipLibrary().ErrorSource(), error.Description());
    }
}

int WINAPI ZipPrintCallback(LPSTR text, unsigned long count) {
    std::wstring line;
    if (ProgressLine(text, count, line) && g_currentListener) g_currentListener->RaiseProgress(line);
    return 0;
}

int WINAPI ZipCommentCallback(LPSTR buffer) {
    std::wstring comment;
    bool cancel = false;
    bool clear = false;
    if (g_currentListener) g_currentListener->RaiseCommentRequest(comment, cancel, clear);
    comment = TrimSpaces(comment);
    if (!buffer) return 1;
    if (clear) {
        std::memset(buffer, 0, kZipCommentBufferSize);
    } else if (!comment.empty() && !cancel) {
        std::string bytes = ToAnsi(comment);
        if (bytes.size() > kCommentLimit) bytes.resize(kCommentLimit);
        std::memset(buffer, 0, kZipCommentBufferSize);
        std::memcpy(buffer, bytes.data(), bytes.size());
    }
    return 1;
}

int WINAPI ZipPasswordCallback(LPSTR buffer, int size, LPCSTR, LPCSTR) {
    if (g_passwordGivenUp) return 1;
    std::wstring password;
    bool cancel = false;
    if (g_currentListener) g_currentListener->RaisePasswordRequest(password, cancel);
    return FillPasswordBuffer(password, cancel, buffer, size, g_passwordGivenUp);
}

int WINAPI ZipServiceCallback(LPCSTR name, unsigned long) {
    std::wstring file = FromAnsi(CallbackText(name, kNameLimit));
    bool cancel = false;
    if (g_currentListener) g_currentListener->RaiseCancel(file, cancel);
    return cancel ? 1 : 0;
}

ZipOptionRecord::ZipOptionRecord() {
    record_.Date = &empty_[0];
    record_.szRootDir = &rootDir_[0];
    record_.szTempDir = &empty_[0];
    StoreDirectories(true);
    StoreFolderNames(false);
    RecurseSubDirs(false);
    CompressionLevel(6);
}

void ZipOptionRecord::BasePath(const std::wstring& value) {
    basePath_ = value;
    rootDir_ = ToAnsi(value);
    record_.szRootDir = &rootDir_[0];
}

long ZipOptionRecord::MessageLevel() const {
    if (record_.fVerbose) return 0;
    if (record_.fQuiet) return 1;
    return 2;
}

void ZipOptionRecord::MessageLevel(long value) {
    switch (value) {
    case 0:
        record_.fVerbose = 1;
        record_.fQuiet = 0;
        break;
    case 1:
        record_.fVerbose = 0;
        record_.fQuiet = 1;
        break;
    case 2:
        record_.fVerbose = 0;
        record_.fQuiet = 0;
        break;
    default: break;  // any other value changes nothing
    }
}

void ZipOptionRecord::CompressionLevel(long value) { record_.fLevel = std::to_string(value)[0]; }

std::wstring ZipFileSpecList::At(long index, const std::wstring& className) const {
    if (index < 1 || index > Count()) ThrowSubscriptOutOfRange(ExecutableBaseName() + L"." + className);
    return specs_[static_cast<size_t>(index - 1)];
}

}  // namespace bralto

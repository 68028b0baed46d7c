// unzip_crash_helper ARCHIVE FOLDER [overwrite]: extracts ARCHIVE into
// FOLDER and dies (TerminateProcess, exit code 77) when the library starts
// writing big.bin, as a crash in the middle of a member would.
#include <windows.h>

#include "cUnzip.h"

namespace {

class DyingListener : public bralto::IUnzipEvents {
public:
    void Progress(const std::wstring& message) override {
        if (message.find(L"big.bin") != std::wstring::npos) TerminateProcess(GetCurrentProcess(), 77);
    }
    void Cancel(const std::wstring&, bool&) override {}
    void OverwritePrompt(const std::wstring&, long&) override {}
    void PasswordRequest(std::wstring&, bool&, const std::wstring&) override {}
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    bralto::cUnzip unzip;
    DyingListener listener;
    unzip.SetListener(&listener);
    unzip.ZipFile(argv[1]);
    unzip.UnzipFolder(argv[2]);
    unzip.OverwriteExisting(argc > 3);
    return static_cast<int>(unzip.unzip());
}

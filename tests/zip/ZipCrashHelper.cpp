// zip_crash_helper ARCHIVE SPEC...: starts a zip job on ARCHIVE and dies
// (TerminateProcess, exit code 77) when the library asks about the second
// file, as a crash in the middle of a job would.
#include <windows.h>

#include "cZip.h"

namespace {

class DyingListener : public bralto::IZipEvents {
public:
    void Progress(const std::wstring&) override {}
    void Cancel(const std::wstring&, bool&) override {
        if (++files_ == 2) TerminateProcess(GetCurrentProcess(), 77);
    }
    void PasswordRequest(std::wstring&, bool&) override {}
    void CommentRequest(std::wstring&, bool&, bool&) override {}

private:
    int files_ = 0;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    bralto::cZip zip;
    DyingListener listener;
    zip.SetListener(&listener);
    zip.ZipFile(argv[1]);
    for (int i = 2; i < argc; ++i) zip.AddFileSpec(argv[i]);
    return static_cast<int>(zip.Zip());
}

// zip_dll_driver [-0..-9] ARCHIVE FOLDER...: adds the folders, recursively,
// through qnrz320.dll's published interface and nothing else. The
// benchmark's Windows driver (bench/zip_bench.sh runs it under Wine).
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "zip_api.h"

namespace {

int WINAPI Quiet(LPSTR, unsigned long) { return 0; }

}  // namespace

int main(int argc, char** argv) {
    char level = '6';
    int arg = 1;
    if (arg < argc && argv[arg][0] == '-' && argv[arg][1] >= '0' && argv[arg][1] <= '9') level = argv[arg++][1];
    if (argc - arg < 2) {
        std::fprintf(stderr, "usage: zip_dll_driver [-0..-9] ARCHIVE FOLDER...\n");
        return 16;
    }
    HMODULE library = LoadLibraryW(L"qnrz320.dll");
    if (!library) return 53;
    auto init = reinterpret_cast<ZpInitFunction>(reinterpret_cast<void*>(GetProcAddress(library, "ZpInit")));
    auto setOptions =
        reinterpret_cast<ZpSetOptionsFunction>(reinterpret_cast<void*>(GetProcAddress(library, "ZpSetOptions")));
    auto archive = reinterpret_cast<ZpArchiveFunction>(reinterpret_cast<void*>(GetProcAddress(library, "ZpArchive")));
    if (!init || !setOptions || !archive) return 53;

    ZIPUSERFUNCTIONS callbacks{};
    callbacks.print = Quiet;
    init(&callbacks);
    ZPOPT options{};
    options.fRecurse = 1;
    options.fLevel = level;
    setOptions(&options);
    std::vector<char*> names;
    for (int i = arg + 1; i < argc; ++i) names.push_back(argv[i]);
    char closing[] = "";
    names.push_back(closing);
    ZCL zcl{static_cast<int>(names.size() - 1), argv[arg], names.data()};
    int result = archive(zcl);
    FreeLibrary(library);
    return result;
}

// Windows driver of qnruz320.dll for the benchmark (run under Wine):
//   unzip_driver_win x ARCHIVE FOLDER   extract everything (overwrite)
//   unzip_driver_win t ARCHIVE          test everything
//   unzip_driver_win l ARCHIVE          list everything (prints the count)
// Loads the library beside itself, as the engine does. An encrypted member
// gets the password in BENCH_PASSWORD.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "unzip_api.h"

static int WINAPI Print(LPSTR, unsigned long) { return 0; }
static int WINAPI Replace(LPSTR) { return 102; }
static int WINAPI Password(LPSTR buffer, int size, LPCSTR, LPCSTR) {
    const char* password = std::getenv("BENCH_PASSWORD");
    if (!password || size < 1) return 1;
    std::snprintf(buffer, static_cast<size_t>(size), "%s", password);
    return 0;
}
static int WINAPI Service(LPCSTR, unsigned long) { return 0; }
static unsigned long listed = 0;
static void WINAPI Listed(unsigned long, unsigned long, unsigned, unsigned, unsigned, unsigned, unsigned, unsigned, char,
                          LPSTR, LPSTR, unsigned long, char) {
    ++listed;
}

int main(int argc, char** argv) {
    if (argc < 3 || (argv[1][0] == 'x' && argc < 4)) {
        std::fprintf(stderr, "usage: unzip_driver_win x ARCHIVE FOLDER | t ARCHIVE | l ARCHIVE\n");
        return 10;
    }
    HMODULE library = LoadLibraryW(L"qnruz320.dll");
    if (!library) return 9;
    auto unzip = reinterpret_cast<WIZ_SINGLEENTRYUNZIP*>(
        reinterpret_cast<void*>(GetProcAddress(library, "Wiz_SingleEntryUnzip")));
    DCL dcl;
    std::memset(&dcl, 0, sizeof dcl);
    dcl.ntflag = argv[1][0] == 't';
    dcl.nvflag = argv[1][0] == 'l';
    dcl.ndflag = 1;
    dcl.noflag = 1;
    dcl.fQuiet = 2;
    dcl.lpszZipFN = argv[2];
    char empty[] = "";
    dcl.lpszExtractDir = argc > 3 ? argv[3] : empty;
    USERFUNCTIONS functions{};
    functions.print = Print;
    functions.replace = Replace;
    functions.password = Password;
    functions.ServCallBk = Service;
    functions.SendApplicationMessage = Listed;
    char nul[] = "";
    char* names[] = {nul};
    int code = unzip(0, names, 0, names, &dcl, &functions);
    FreeLibrary(library);
    if (dcl.nvflag) std::printf("%lu\n", listed);
    return code;
}

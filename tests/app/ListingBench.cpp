// Figures, not a test: time from OpenAZip to a filled, painted archive list
// for each archive given, best of the runs. bench/listing_bench.sh runs it.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdio>
#include <string>

#include "cUnzip.h"
#include "frmBralto.h"

namespace {

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    const int runs = 3;
    for (int a = 1; a < argc; ++a) {
        const std::wstring path = argv[a];
        double bestOpen = 1e30, bestDirectory = 1e30;
        long rows = 0;
        for (int run = 0; run < runs; ++run) {
            bralto::cUnzip unzip;
            unzip.ZipFile(path);
            double start = Now();
            unzip.Directory();
            bestDirectory = std::min(bestDirectory, Now() - start);

            bralto::frmBralto window;
            window.Show();
            Pump();
            start = Now();
            window.OpenAZip(path);
            HWND list = GetDlgItem(window.Handle(), bralto::frmBralto::lisFich);
            UpdateWindow(window.Handle());
            RedrawWindow(list, nullptr, nullptr, RDW_UPDATENOW);
            bestOpen = std::min(bestOpen, Now() - start);
            rows = static_cast<long>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
            DestroyWindow(window.Handle());
            Pump();
        }
        std::wprintf(L"%ls: %ld rows; directory read %.0f ms; OpenAZip to painted list %.0f ms (best of %d)\n",
                     path.c_str(), rows, bestDirectory, bestOpen, runs);
    }
    CoUninitialize();
    return 0;
}

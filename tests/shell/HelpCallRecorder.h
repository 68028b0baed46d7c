// Stands for hhctrl.ocx in the tests of F1: ReplaceHtmlHelpEntry(
// RecordHelpCall) makes every call a window makes to the help viewer (on
// whatever thread) noted here, answered with a window, as a viewer that
// showed the page would.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

namespace bralto::test {

struct HelpCall {
    HWND caller;
    std::wstring location;
    UINT command;
};

inline std::mutex g_helpCallsLock;
inline std::vector<HelpCall> g_helpCalls;

inline HWND WINAPI RecordHelpCall(HWND caller, LPCWSTR file, UINT command, DWORD_PTR) {
    std::lock_guard<std::mutex> lock(g_helpCallsLock);
    g_helpCalls.push_back({caller, file ? file : L"", command});
    return caller;
}

// The calls noted so far, oldest first.
inline std::vector<HelpCall> HelpCalls() {
    std::lock_guard<std::mutex> lock(g_helpCallsLock);
    return g_helpCalls;
}

inline size_t HelpCallCount() {
    std::lock_guard<std::mutex> lock(g_helpCallsLock);
    return g_helpCalls.size();
}

inline void ForgetHelpCalls() {
    std::lock_guard<std::mutex> lock(g_helpCallsLock);
    g_helpCalls.clear();
}

}  // namespace bralto::test

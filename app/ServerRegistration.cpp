#include "ServerRegistration.h"

#include <windows.h>

#include <cwctype>

#include "ComSupport.h"
#include "Handles.h"
#include "qnrZip.h"
#include "TextCase.h"
#include "Module.h"

namespace bralto {

namespace {

// The executable of a LocalServer32 command line, without quotes or switches.
std::wstring CommandExecutable(const std::wstring& command) {
    if (!command.empty() && command[0] == L'"') {
        size_t close = command.find(L'"', 1);
        return command.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
    }
    size_t exe = Lower(command).find(L".exe");
    return exe == std::wstring::npos ? command : command.substr(0, exe + 4);
}

std::wstring RegisteredServer(const GUID& clsid) {
    const std::wstring key = L"CLSID\\" + qnr::GuidText(clsid) + L"\\LocalServer32";
    wchar_t buffer[MAX_PATH * 2] = {};
    DWORD size = sizeof(buffer);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return L"";
    return CommandExecutable(buffer);
}

bool SameFile(const std::wstring& a, const std::wstring& b) {
    wchar_t fullA[MAX_PATH * 2] = {}, fullB[MAX_PATH * 2] = {};
    GetFullPathNameW(a.c_str(), MAX_PATH * 2, fullA, nullptr);
    GetFullPathNameW(b.c_str(), MAX_PATH * 2, fullB, nullptr);
    return !a.empty() && Lower(fullA) == Lower(fullB);
}

bool RunAndWait(const std::wstring& exe, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW si = {sizeof(si)};
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &si, &pi))
        return false;
    UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    if (WaitForSingleObject(process.get(), 30000) != WAIT_OBJECT_0) return false;
    DWORD code = 1;
    GetExitCodeProcess(process.get(), &code);
    return code == 0;
}

}  // namespace

std::wstring BundledServerPath() { return ExecutableFolder() + L"qnrZip.exe"; }

bool IsServerRegisteredAs(const std::wstring& serverPath) {
    return SameFile(RegisteredServer(CLSID_cAsyncZip), serverPath) &&
           SameFile(RegisteredServer(CLSID_cAsyncUnzip), serverPath);
}

bool EnsureServerRegistered() {
    const std::wstring server = BundledServerPath();
    if (IsServerRegisteredAs(server)) return true;
    if (GetFileAttributesW(server.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    return RunAndWait(server, L"/regserver") && IsServerRegisteredAs(server);
}

}  // namespace bralto

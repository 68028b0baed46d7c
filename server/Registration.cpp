#include "Registration.h"

#include "ComSupport.h"
#include "Handles.h"
#include "TextCase.h"
#include "TypeLibrary.h"
#include "qnrZip.h"

#include <oleauto.h>

#include <cwchar>
#include <string>
#include <utility>

// Present in oleaut32's import library but missing from mingw-w64's headers.
extern "C" {
HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* path, OLECHAR* helpDirectory);
HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID libraryId, WORD major, WORD minor, LCID lcid, SYSKIND kind);
}

namespace qnr {

namespace {

#ifdef _WIN64
constexpr SYSKIND kSysKind = SYS_WIN64;
#else
constexpr SYSKIND kSysKind = SYS_WIN32;
#endif

constexpr WORD kServerLibraryMajor = 12;
constexpr WORD kServerLibraryMinor = 0;
constexpr LCID kServerLibraryLcid = 0x409;
constexpr WORD kRunnableLibraryMajor = 1;
constexpr WORD kRunnableLibraryMinor = 0;

using RegistryKey = bralto::UniqueHKey;

struct ServerClass {
    const CLSID& id;
    const wchar_t* progId;
};

const ServerClass kClasses[] = {
    {CLSID_cAsyncZip, L"qnrZip.cAsyncZip"},
    {CLSID_cAsyncUnzip, L"qnrZip.cAsyncUnzip"},
};

HRESULT SetStringValue(HKEY root, const std::wstring& subKey, const wchar_t* name, const std::wstring& value) {
    RegistryKey key;
    LSTATUS status = RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    status = RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    return HRESULT_FROM_WIN32(status);
}

HRESULT CreateEmptyKey(HKEY root, const std::wstring& subKey) {
    RegistryKey key;
    LSTATUS status = RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr);
    return HRESULT_FROM_WIN32(status);
}

// HKLM\Software\Classes when this process may write there, else
// HKCU\Software\Classes. Wine honours only the first for activation.
bool MachineClassesWritable() {
    RegistryKey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes", 0, KEY_CREATE_SUB_KEY | KEY_SET_VALUE, key.put()) ==
           ERROR_SUCCESS;
}

HRESULT OpenClassesRoot(bool machine, RegistryKey& key) {
    LSTATUS status = RegCreateKeyExW(machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr,
                                     0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
    return HRESULT_FROM_WIN32(status);
}

HRESULT WriteClass(HKEY classes, const ServerClass& serverClass, const std::wstring& serverCommand) {
    const std::wstring clsidKey = L"CLSID\\" + GuidText(serverClass.id);
    const std::pair<std::wstring, std::pair<const wchar_t*, std::wstring>> values[] = {
        {clsidKey, {nullptr, serverClass.progId}},
        {clsidKey + L"\\LocalServer32", {nullptr, serverCommand}},
        {clsidKey + L"\\ProgID", {nullptr, serverClass.progId}},
        {clsidKey + L"\\VersionIndependentProgID", {nullptr, serverClass.progId}},
        {clsidKey + L"\\TypeLib", {nullptr, GuidText(LIBID_qnrZip)}},
        {clsidKey + L"\\Version", {nullptr, L"12.0"}},
        {serverClass.progId, {nullptr, serverClass.progId}},
        {std::wstring(serverClass.progId) + L"\\CLSID", {nullptr, GuidText(serverClass.id)}},
    };
    for (const auto& [subKey, value] : values) {
        HRESULT hr = SetStringValue(classes, subKey, value.first, value.second);
        if (FAILED(hr)) return hr;
    }
    return CreateEmptyKey(classes, clsidKey + L"\\Programmable");
}

HRESULT RegisterEmbeddedTypeLibrary(int index, bool machine) {
    std::wstring path = TypeLibraryPath(index);
    ComPtr<ITypeLib> library;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.Receive());
    if (FAILED(hr)) return hr;
    if (machine) return RegisterTypeLib(library.Get(), path.data(), nullptr);
    return RegisterTypeLibForUser(library.Get(), path.data(), nullptr);
}

void DeleteClassKeys(HKEY classes) {
    for (const ServerClass& serverClass : kClasses) {
        RegDeleteTreeW(classes, (L"CLSID\\" + GuidText(serverClass.id)).c_str());
        RegDeleteTreeW(classes, serverClass.progId);
    }
}

// Type library versions are registered in hexadecimal ("c.0" for 12.0).
std::wstring VersionKey(WORD major, WORD minor) {
    wchar_t text[32] = {};
    swprintf(text, 32, L"%x.%x", major, minor);
    return text;
}

std::wstring PlatformKey() { return kSysKind == SYS_WIN64 ? L"win64" : L"win32"; }

// The library is described for locale 0x409 only, but the standard
// marshaller of the dual interfaces asks for the neutral locale (Wine
// does not fall back from it): name the same file under locale 0 too.
HRESULT RegisterNeutralLocale(HKEY classes) {
    const std::wstring key = L"TypeLib\\" + GuidText(LIBID_qnrZip) + L"\\" +
                             VersionKey(kServerLibraryMajor, kServerLibraryMinor) + L"\\0\\" + PlatformKey();
    return SetStringValue(classes, key, nullptr, TypeLibraryPath(1));
}

std::wstring ServerCommand() { return L"\"" + ModulePath() + L"\""; }

// True when the classes of this scope start this copy of the server.
bool ScopeNamesThisServer(bool machine) {
    RegistryKey classes;
    if (RegOpenKeyExW(machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, L"Software\\Classes", 0, KEY_READ,
                      classes.put()) != ERROR_SUCCESS)
        return false;
    for (const ServerClass& serverClass : kClasses) {
        const std::wstring key = L"CLSID\\" + GuidText(serverClass.id) + L"\\LocalServer32";
        wchar_t command[MAX_PATH * 2] = {};
        DWORD size = sizeof(command);
        if (RegGetValueW(classes.get(), key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, command, &size) == ERROR_SUCCESS &&
            bralto::Lower(command) == bralto::Lower(ServerCommand()))
            return true;
    }
    return false;
}

// The classes, both type libraries and the neutral-locale entry of one scope.
void RemoveFromScope(bool machine) {
    RegistryKey classes;
    if (FAILED(OpenClassesRoot(machine, classes))) return;
    DeleteClassKeys(classes.get());
    if (machine) {
        UnRegisterTypeLib(LIBID_qnrZip, kServerLibraryMajor, kServerLibraryMinor, kServerLibraryLcid, kSysKind);
        UnRegisterTypeLib(LIBID_RunnableLib, kRunnableLibraryMajor, kRunnableLibraryMinor, 0, kSysKind);
    } else {
        UnRegisterTypeLibForUser(LIBID_qnrZip, kServerLibraryMajor, kServerLibraryMinor, kServerLibraryLcid, kSysKind);
        UnRegisterTypeLibForUser(LIBID_RunnableLib, kRunnableLibraryMajor, kRunnableLibraryMinor, 0, kSysKind);
    }
    RegDeleteTreeW(classes.get(), (L"TypeLib\\" + GuidText(LIBID_qnrZip)).c_str());
}

}  // namespace

HRESULT RegisterServer(RegistrationScope scope) {
    const bool machine = scope == RegistrationScope::Machine ||
                         (scope == RegistrationScope::Automatic && MachineClassesWritable());
    RegistryKey classes;
    HRESULT hr = OpenClassesRoot(machine, classes);
    if (FAILED(hr)) return hr;

    const std::wstring serverCommand = ServerCommand();
    for (const ServerClass& serverClass : kClasses) {
        hr = WriteClass(classes.get(), serverClass, serverCommand);
        if (FAILED(hr)) return hr;
    }
    // RunnableLib last: the Runnable interface is described in both
    // libraries, and its interface key should name its own library.
    hr = RegisterEmbeddedTypeLibrary(1, machine);
    if (SUCCEEDED(hr)) hr = RegisterNeutralLocale(classes.get());
    if (SUCCEEDED(hr)) hr = RegisterEmbeddedTypeLibrary(2, machine);
    return hr;
}

HRESULT UnregisterServer(RegistrationScope scope) {
    for (bool machine : {true, false}) {
        const bool chosen = scope == RegistrationScope::Automatic || (scope == RegistrationScope::Machine) == machine;
        if (chosen || ScopeNamesThisServer(machine)) RemoveFromScope(machine);
    }
    return S_OK;
}

}  // namespace qnr

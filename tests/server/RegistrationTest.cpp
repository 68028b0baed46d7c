// qnrZip.exe /unregserver removes the classes and both type libraries;
// /regserver writes them back so that the classes can be created by
// ProgID and class identifier. Run as the first step of the server tests:
// it leaves the server registered from this build.
#include "ComSupport.h"
#include "ServerTestSupport.h"
#include "qnrZip.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using qnr::ComPtr;

std::wstring ClassesValue(const std::wstring& subKey, HKEY root = HKEY_LOCAL_MACHINE) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof(buffer);
    const std::wstring path = L"Software\\Classes\\" + subKey;
    if (RegGetValueW(root, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return L"<missing>";
    return buffer;
}

std::wstring GuidText(const GUID& guid) {
    wchar_t text[64] = {};
    StringFromGUID2(guid, text, 64);
    return text;
}

bool TypeLibraryRegistered(const GUID& library, WORD major, WORD minor, LCID lcid) {
    qnr::Bstr path;
    return SUCCEEDED(QueryPathOfRegTypeLib(library, major, minor, lcid, path.Receive()));
}

HRESULT CreateByProgId(const wchar_t* progId) {
    CLSID id{};
    HRESULT hr = CLSIDFromProgID(progId, &id);
    if (FAILED(hr)) return hr;
    ComPtr<IDispatch> object;
    return CoCreateInstance(id, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, object.ReceiveVoid());
}

TEST(ServerRegistration, UnregisterRemovesEverythingThenRegisterRestoresIt) {
    // A server still serving an earlier client would answer activations
    // whatever the registry says.
    ASSERT_TRUE(PumpUntil([] { return ServerProcessCount() == 0; }));
    ASSERT_EQ(RunAndWait(L"\"" + ServerPath() + L"\" /unregserver"), 0);

    EXPECT_EQ(ClassesValue(L"qnrZip.cAsyncZip\\CLSID"), L"<missing>");
    EXPECT_EQ(ClassesValue(L"qnrZip.cAsyncUnzip\\CLSID"), L"<missing>");
    EXPECT_EQ(ClassesValue(L"CLSID\\" + GuidText(CLSID_cAsyncZip) + L"\\LocalServer32"), L"<missing>");
    EXPECT_FALSE(TypeLibraryRegistered(LIBID_qnrZip, 12, 0, 0x409));
    EXPECT_FALSE(TypeLibraryRegistered(LIBID_RunnableLib, 1, 0, 0));
    EXPECT_FALSE(TypeLibraryRegistered(LIBID_qnrZip, 12, 0, 0));
    EXPECT_EQ(ClassesValue(L"Interface\\" + GuidText(IID__cAsyncZip) + L"\\TypeLib"), L"<missing>");
    ComPtr<IDispatch> object;
    EXPECT_EQ(CoCreateInstance(CLSID_cAsyncZip, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, object.ReceiveVoid()),
              REGDB_E_CLASSNOTREG);

    ASSERT_EQ(RunAndWait(L"\"" + ServerPath() + L"\" /regserver"), 0);

    for (const auto& [clsid, progId] :
         {std::pair{&CLSID_cAsyncZip, L"qnrZip.cAsyncZip"}, std::pair{&CLSID_cAsyncUnzip, L"qnrZip.cAsyncUnzip"}}) {
        const std::wstring key = L"CLSID\\" + GuidText(*clsid);
        EXPECT_EQ(ClassesValue(std::wstring(progId) + L"\\CLSID"), GuidText(*clsid));
        EXPECT_EQ(ClassesValue(key + L"\\ProgID"), progId);
        EXPECT_EQ(ClassesValue(key + L"\\TypeLib"), GuidText(LIBID_qnrZip));
        EXPECT_EQ(ClassesValue(key + L"\\Version"), L"12.0");
        EXPECT_EQ(ClassesValue(key + L"\\LocalServer32"), L"\"" + ServerPath() + L"\"");
    }
    EXPECT_TRUE(TypeLibraryRegistered(LIBID_qnrZip, 12, 0, 0x409));
    EXPECT_TRUE(TypeLibraryRegistered(LIBID_RunnableLib, 1, 0, 0));
    EXPECT_EQ(ClassesValue(L"Interface\\" + GuidText(IID__cAsyncZip) + L"\\TypeLib"), GuidText(LIBID_qnrZip));
    EXPECT_EQ(ClassesValue(L"Interface\\" + GuidText(IID_Runnable) + L"\\TypeLib"), GuidText(LIBID_RunnableLib));

    EXPECT_HRESULT_SUCCEEDED(CreateByProgId(L"qnrZip.cAsyncZip"));
    EXPECT_HRESULT_SUCCEEDED(CreateByProgId(L"qnrZip.cAsyncUnzip"));

    // The dual interfaces cross the process boundary through the standard
    // marshaller, which finds them through the registered library.
    ComPtr<_cAsyncZip> zip;
    EXPECT_HRESULT_SUCCEEDED(
        CoCreateInstance(CLSID_cAsyncZip, nullptr, CLSCTX_LOCAL_SERVER, IID__cAsyncZip, zip.ReceiveVoid()));
    ComPtr<_cAsyncUnzip> unzip;
    EXPECT_HRESULT_SUCCEEDED(
        CoCreateInstance(CLSID_cAsyncUnzip, nullptr, CLSCTX_LOCAL_SERVER, IID__cAsyncUnzip, unzip.ReceiveVoid()));
}

// The server of each scope's cAsyncZip class, "<missing>" when none.
struct Servers {
    std::wstring machine, user;
};

Servers RegisteredServers() {
    const std::wstring key = L"CLSID\\" + GuidText(CLSID_cAsyncZip) + L"\\LocalServer32";
    return {ClassesValue(key, HKEY_LOCAL_MACHINE), ClassesValue(key, HKEY_CURRENT_USER)};
}

int RunServer(const std::wstring& switches) { return RunAndWait(L"\"" + ServerPath() + L"\" " + switches); }

// The installer passes its mode: a per-user install writes no machine class
// even where the machine is writable (Wine, an elevated administrator), and
// each uninstall takes away what its mode wrote.
TEST(ServerRegistration, TheScopeSwitchesWriteAndRemoveOnlyTheirScope) {
    ASSERT_TRUE(PumpUntil([] { return ServerProcessCount() == 0; }));
    struct RegisteredAgain {
        ~RegisteredAgain() { RunServer(L"/regserver"); }  // the tests after this one use the server
    } registeredAgain;
    const std::wstring self = L"\"" + ServerPath() + L"\"";
    ASSERT_EQ(RunServer(L"/unregserver"), 0);

    ASSERT_EQ(RunServer(L"/regserver /user"), 0);
    Servers servers = RegisteredServers();
    EXPECT_EQ(servers.user, self);
    EXPECT_EQ(servers.machine, L"<missing>") << "a per-user registration wrote the machine's classes";
    EXPECT_EQ(ClassesValue(L"qnrZip.cAsyncZip\\CLSID", HKEY_CURRENT_USER), GuidText(CLSID_cAsyncZip));
    ASSERT_EQ(RunServer(L"/unregserver /user"), 0);
    servers = RegisteredServers();
    EXPECT_EQ(servers.user, L"<missing>");
    EXPECT_EQ(ClassesValue(L"qnrZip.cAsyncZip\\CLSID", HKEY_CURRENT_USER), L"<missing>");

    ASSERT_EQ(RunServer(L"/regserver /machine"), 0);
    servers = RegisteredServers();
    EXPECT_EQ(servers.machine, self);
    EXPECT_EQ(servers.user, L"<missing>") << "a per-machine registration wrote the user's classes";
    EXPECT_TRUE(TypeLibraryRegistered(LIBID_qnrZip, 12, 0, 0x409));
    ASSERT_EQ(RunServer(L"/unregserver /machine"), 0);
    servers = RegisteredServers();
    EXPECT_EQ(servers.machine, L"<missing>");
    EXPECT_FALSE(TypeLibraryRegistered(LIBID_qnrZip, 12, 0, 0x409));

    // A per-user copy that Bralto registered for the machine at start (COM
    // under Wine does not see the user's classes): its uninstall takes
    // that registration away too.
    ASSERT_EQ(RunServer(L"/regserver /user"), 0);
    ASSERT_EQ(RunServer(L"/regserver"), 0);
    ASSERT_EQ(RegisteredServers().machine, self);
    ASSERT_EQ(RunServer(L"/unregserver /user"), 0);
    servers = RegisteredServers();
    EXPECT_EQ(servers.machine, L"<missing>");
    EXPECT_EQ(servers.user, L"<missing>");
    EXPECT_FALSE(TypeLibraryRegistered(LIBID_qnrZip, 12, 0, 0x409));
}

}  // namespace

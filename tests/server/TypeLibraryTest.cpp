// The type libraries embedded in qnrZip.exe, read back with LoadTypeLibEx:
// identifiers, versions, classes, member order, event dispatch
// identifiers, enumerations and argument types.
#include "ComSupport.h"
#include "QnrZipEventIds.h"
#include "ServerTestSupport.h"
#include "qnrZip.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using qnr::ComPtr;

GUID GuidOf(const wchar_t* text) {
    GUID guid{};
    CLSIDFromString(const_cast<LPOLESTR>(text), &guid);
    return guid;
}

class TypeAttributes {
public:
    explicit TypeAttributes(ITypeInfo* info) : info_(info) { info_->GetTypeAttr(&attributes_); }
    TypeAttributes(const TypeAttributes&) = delete;
    TypeAttributes& operator=(const TypeAttributes&) = delete;
    ~TypeAttributes() {
        if (attributes_) info_->ReleaseTypeAttr(attributes_);
    }
    const TYPEATTR* operator->() const { return attributes_; }

private:
    ITypeInfo* info_;
    TYPEATTR* attributes_ = nullptr;
};

class FunctionDescription {
public:
    FunctionDescription(ITypeInfo* info, UINT index) : info_(info) { info_->GetFuncDesc(index, &description_); }
    FunctionDescription(const FunctionDescription&) = delete;
    FunctionDescription& operator=(const FunctionDescription&) = delete;
    ~FunctionDescription() {
        if (description_) info_->ReleaseFuncDesc(description_);
    }
    const FUNCDESC* operator->() const { return description_; }

private:
    ITypeInfo* info_;
    FUNCDESC* description_ = nullptr;
};

std::wstring NameOf(ITypeInfo* info, MEMBERID id) {
    qnr::Bstr name;
    info->GetDocumentation(id, name.Receive(), nullptr, nullptr, nullptr);
    return name.Text();
}

struct Member {
    std::wstring name;
    INVOKEKIND kind;
    MEMBERID id;
};

// The members an interface declares itself, in declaration order.
std::vector<Member> OwnMembers(ITypeInfo* info) {
    TypeAttributes attributes(info);
    std::vector<Member> members;
    for (UINT i = 0; i < attributes->cFuncs; ++i) {
        FunctionDescription function(info, i);
        members.push_back({NameOf(info, function->memid), function->invkind, function->memid});
    }
    return members;
}

class ServerTypeLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_HRESULT_SUCCEEDED(LoadTypeLibEx(ServerPath().c_str(), REGKIND_NONE, library.Receive()));
    }

    ComPtr<ITypeInfo> Info(const GUID& guid) {
        ComPtr<ITypeInfo> info;
        EXPECT_HRESULT_SUCCEEDED(library->GetTypeInfoOfGuid(guid, info.Receive()));
        return info;
    }

    // The vtable half of a dual interface.
    ComPtr<ITypeInfo> VtableInfo(const GUID& guid) {
        ComPtr<ITypeInfo> dispatch = Info(guid);
        HREFTYPE reference = 0;
        EXPECT_HRESULT_SUCCEEDED(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &reference));
        ComPtr<ITypeInfo> vtable;
        EXPECT_HRESULT_SUCCEEDED(dispatch->GetRefTypeInfo(reference, vtable.Receive()));
        return vtable;
    }

    ComPtr<ITypeLib> library;
};

TEST_F(ServerTypeLibrary, LibraryAttributesAreThoseOfQnrZip) {
    TLIBATTR* attributes = nullptr;
    ASSERT_HRESULT_SUCCEEDED(library->GetLibAttr(&attributes));
    EXPECT_TRUE(IsEqualGUID(attributes->guid, GuidOf(L"{84BA70CB-3977-11D5-AB48-206404C10000}")));
    EXPECT_TRUE(IsEqualGUID(attributes->guid, LIBID_qnrZip)) << "the header and the binary library disagree";
    EXPECT_EQ(attributes->wMajorVerNum, 12);
    EXPECT_EQ(attributes->wMinorVerNum, 0);
    EXPECT_EQ(attributes->lcid, 0x409u);
    library->ReleaseTLibAttr(attributes);

    qnr::Bstr name, help;
    ASSERT_HRESULT_SUCCEEDED(library->GetDocumentation(-1, name.Receive(), help.Receive(), nullptr, nullptr));
    EXPECT_EQ(name.Text(), L"qnrZip");
    EXPECT_EQ(help.Text(), L"qnrZip Serveur");
}

TEST_F(ServerTypeLibrary, EveryIdentifierMatchesThePublishedOne) {
    const struct {
        const wchar_t* name;
        const wchar_t* guid;
        TYPEKIND kind;
    } expected[] = {
        {L"cAsyncZip", L"{84BA70CE-3977-11D5-AB48-206404C10000}", TKIND_COCLASS},
        {L"_cAsyncZip", L"{BE5B8362-BEFC-11D5-91AB-F09666AAE22E}", TKIND_DISPATCH},
        {L"__cAsyncZip", L"{BE5B8365-BEFC-11D5-91AB-F09666AAE22E}", TKIND_DISPATCH},
        {L"cAsyncUnzip", L"{84BA70D6-3977-11D5-AB48-206404C10000}", TKIND_COCLASS},
        {L"_cAsyncUnzip", L"{BE5B8369-BEFC-11D5-91AB-F09666AAE22E}", TKIND_DISPATCH},
        {L"__cAsyncUnzip", L"{BE5B836C-BEFC-11D5-91AB-F09666AAE22E}", TKIND_DISPATCH},
        {L"Runnable", L"{383BB081-E35F-11D0-8648-00AA00BDD685}", TKIND_INTERFACE},
    };
    for (const auto& item : expected) {
        ComPtr<ITypeInfo> info = Info(GuidOf(item.guid));
        ASSERT_TRUE(info) << item.guid;
        EXPECT_EQ(NameOf(info.Get(), MEMBERID_NIL), item.name);
        TypeAttributes attributes(info.Get());
        EXPECT_EQ(attributes->typekind, item.kind) << item.name;
    }
    EXPECT_TRUE(IsEqualGUID(CLSID_cAsyncZip, GuidOf(L"{84BA70CE-3977-11D5-AB48-206404C10000}")));
    EXPECT_TRUE(IsEqualGUID(IID__cAsyncZip, GuidOf(L"{BE5B8362-BEFC-11D5-91AB-F09666AAE22E}")));
    EXPECT_TRUE(IsEqualGUID(DIID___cAsyncZip, GuidOf(L"{BE5B8365-BEFC-11D5-91AB-F09666AAE22E}")));
    EXPECT_TRUE(IsEqualGUID(CLSID_cAsyncUnzip, GuidOf(L"{84BA70D6-3977-11D5-AB48-206404C10000}")));
    EXPECT_TRUE(IsEqualGUID(IID__cAsyncUnzip, GuidOf(L"{BE5B8369-BEFC-11D5-91AB-F09666AAE22E}")));
    EXPECT_TRUE(IsEqualGUID(DIID___cAsyncUnzip, GuidOf(L"{BE5B836C-BEFC-11D5-91AB-F09666AAE22E}")));
    EXPECT_TRUE(IsEqualGUID(IID_Runnable, GuidOf(L"{383BB081-E35F-11D0-8648-00AA00BDD685}")));
}

TEST_F(ServerTypeLibrary, DefaultInterfacesAreDual) {
    for (const GUID* id : {&IID__cAsyncZip, &IID__cAsyncUnzip}) {
        ComPtr<ITypeInfo> info = Info(*id);
        TypeAttributes attributes(info.Get());
        EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FDUAL);
    }
}

TEST_F(ServerTypeLibrary, ClassesImplementDefaultInterfaceRunnableAndDefaultSource) {
    const struct {
        const GUID* clsid;
        const GUID* defaultInterface;
        const GUID* events;
    } classes[] = {{&CLSID_cAsyncZip, &IID__cAsyncZip, &DIID___cAsyncZip},
                   {&CLSID_cAsyncUnzip, &IID__cAsyncUnzip, &DIID___cAsyncUnzip}};
    for (const auto& item : classes) {
        ComPtr<ITypeInfo> coclass = Info(*item.clsid);
        TypeAttributes attributes(coclass.Get());
        EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FCANCREATE);
        ASSERT_EQ(attributes->cImplTypes, 3);
        bool sawDefault = false, sawRunnable = false, sawSource = false;
        for (UINT i = 0; i < attributes->cImplTypes; ++i) {
            INT flags = 0;
            coclass->GetImplTypeFlags(i, &flags);
            HREFTYPE reference = 0;
            coclass->GetRefTypeOfImplType(i, &reference);
            ComPtr<ITypeInfo> implemented;
            ASSERT_HRESULT_SUCCEEDED(coclass->GetRefTypeInfo(reference, implemented.Receive()));
            TypeAttributes implementedAttributes(implemented.Get());
            const GUID& id = implementedAttributes->guid;
            if (IsEqualGUID(id, *item.defaultInterface)) {
                sawDefault = true;
                EXPECT_EQ(flags, IMPLTYPEFLAG_FDEFAULT);
            } else if (IsEqualGUID(id, IID_Runnable)) {
                sawRunnable = true;
                EXPECT_EQ(flags, 0);
            } else if (IsEqualGUID(id, *item.events)) {
                sawSource = true;
                EXPECT_EQ(flags, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE);
            }
        }
        EXPECT_TRUE(sawDefault && sawRunnable && sawSource);
    }
}

TEST_F(ServerTypeLibrary, ZipInterfaceMembersComeInOrder) {
    const std::vector<std::wstring> expected = {L"Zip",
                                                L"ZipFile",
                                                L"BasePath",
                                                L"Encrypt",
                                                L"IncludeSystemAndHiddenFiles",
                                                L"StoreVolumeLabel",
                                                L"StoreDirectories",
                                                L"StoreFolderNames",
                                                L"RecurseSubDirs",
                                                L"UpdateOnlyIfNewer",
                                                L"FreshenFiles",
                                                L"MoveFiles",
                                                L"AddComment",
                                                L"MessageLevel",
                                                L"CompressionLevel",
                                                L"ConvertCRLFToLF",
                                                L"ConvertLFToCRLF",
                                                L"ClearFileSpecs",
                                                L"AddFileSpec",
                                                L"FileSpecCount",
                                                L"FileSpec",
                                                L"AllowAppend",
                                                L"DeleteEntries"};
    std::vector<std::wstring> names;
    for (const Member& member : OwnMembers(VtableInfo(IID__cAsyncZip).Get()))
        if (names.empty() || names.back() != member.name) names.push_back(member.name);
    EXPECT_EQ(names, expected);
}

TEST_F(ServerTypeLibrary, UnzipInterfaceMembersComeInOrder) {
    const std::vector<std::wstring> expected = {L"unzip",
                                                L"ExtractOnlyNewer",
                                                L"ExtractOnlyExistingNewer",
                                                L"SpaceToUnderscore",
                                                L"PromptToOverwrite",
                                                L"MessageLevel",
                                                L"TestZip",
                                                L"Listing",
                                                L"DisplayComment",
                                                L"UseFolderNames",
                                                L"OverwriteExisting",
                                                L"ConvertCRToCRLF",
                                                L"CaseSensitiveFileNames",
                                                L"FileCount",
                                                L"Filename",
                                                L"FileDirectory",
                                                L"FileSize",
                                                L"FilePackedSize",
                                                L"FileCompressionRatio",
                                                L"FileDate",
                                                L"FileCRC",
                                                L"FileCompressionMethod",
                                                L"FileEncrypted",
                                                L"FileSelected",
                                                L"Directory",
                                                L"IsValidArchive",
                                                L"UnzipFolder",
                                                L"ZipFile",
                                                L"GetVersion",
                                                L"ZipFile",
                                                L"TotalSizeCompressed",
                                                L"TotalSize",
                                                L"CompressionFactor",
                                                L"NumMembers"};
    std::vector<std::wstring> names;
    for (const Member& member : OwnMembers(VtableInfo(IID__cAsyncUnzip).Get()))
        if (names.empty() || names.back() != member.name) names.push_back(member.name);
    EXPECT_EQ(names, expected);
}

TEST_F(ServerTypeLibrary, EventsHaveDispatchIdentifiersOneToFive) {
    const std::vector<std::wstring> zipEvents = {L"Cancel", L"PasswordRequest", L"CommentRequest", L"Progress",
                                                 L"Complete"};
    const std::vector<std::wstring> unzipEvents = {L"Cancel", L"OverwritePrompt", L"PasswordRequest", L"Progress",
                                                   L"Complete"};
    for (const auto& [id, names] :
         {std::pair{&DIID___cAsyncZip, zipEvents}, std::pair{&DIID___cAsyncUnzip, unzipEvents}}) {
        std::vector<Member> members = OwnMembers(Info(*id).Get());
        ASSERT_EQ(members.size(), names.size());
        for (size_t i = 0; i < names.size(); ++i) {
            EXPECT_EQ(members[i].name, names[i]);
            EXPECT_EQ(members[i].id, static_cast<MEMBERID>(i + 1));
        }
    }
}

// The identifiers the server raises and the client dispatches on are the
// ones the type library describes.
TEST_F(ServerTypeLibrary, SharedEventIdentifiersNameTheLibrarysEvents) {
    const std::vector<std::pair<MEMBERID, std::wstring>> zipEvents = {{DISPID_ZIP_CANCEL, L"Cancel"},
                                                                      {DISPID_ZIP_PASSWORDREQUEST, L"PasswordRequest"},
                                                                      {DISPID_ZIP_COMMENTREQUEST, L"CommentRequest"},
                                                                      {DISPID_ZIP_PROGRESS, L"Progress"},
                                                                      {DISPID_ZIP_COMPLETE, L"Complete"}};
    const std::vector<std::pair<MEMBERID, std::wstring>> unzipEvents = {
        {DISPID_UNZIP_CANCEL, L"Cancel"},
        {DISPID_UNZIP_OVERWRITEPROMPT, L"OverwritePrompt"},
        {DISPID_UNZIP_PASSWORDREQUEST, L"PasswordRequest"},
        {DISPID_UNZIP_PROGRESS, L"Progress"},
        {DISPID_UNZIP_COMPLETE, L"Complete"}};
    ComPtr<ITypeInfo> zip = Info(DIID___cAsyncZip);
    for (const auto& [id, name] : zipEvents) EXPECT_EQ(NameOf(zip.Get(), id), name) << id;
    ComPtr<ITypeInfo> unzip = Info(DIID___cAsyncUnzip);
    for (const auto& [id, name] : unzipEvents) EXPECT_EQ(NameOf(unzip.Get(), id), name) << id;
}

// The argument types a client's handler is declared with.
std::vector<VARTYPE> ArgumentTypes(ITypeInfo* info, const std::wstring& name) {
    TypeAttributes attributes(info);
    for (UINT i = 0; i < attributes->cFuncs; ++i) {
        FunctionDescription function(info, i);
        if (NameOf(info, function->memid) != name) continue;
        std::vector<VARTYPE> types;
        for (SHORT p = 0; p < function->cParams; ++p) {
            const TYPEDESC& type = function->lprgelemdescParam[p].tdesc;
            if (type.vt == VT_PTR)
                types.push_back(static_cast<VARTYPE>(type.lptdesc->vt | VT_BYREF));
            else
                types.push_back(type.vt);
        }
        return types;
    }
    return {};
}

TEST_F(ServerTypeLibrary, EventArgumentsAreByReferenceWhereAnswersGoBack) {
    ComPtr<ITypeInfo> zip = Info(DIID___cAsyncZip);
    EXPECT_EQ(ArgumentTypes(zip.Get(), L"Cancel"), (std::vector<VARTYPE>{VT_BSTR, VT_BOOL | VT_BYREF}));
    EXPECT_EQ(ArgumentTypes(zip.Get(), L"PasswordRequest"),
              (std::vector<VARTYPE>{VT_BSTR | VT_BYREF, VT_BOOL | VT_BYREF}));
    EXPECT_EQ(ArgumentTypes(zip.Get(), L"CommentRequest"),
              (std::vector<VARTYPE>{VT_BSTR | VT_BYREF, VT_BOOL | VT_BYREF, VT_BOOL | VT_BYREF}));
    EXPECT_EQ(ArgumentTypes(zip.Get(), L"Progress"), (std::vector<VARTYPE>{VT_BSTR}));
    EXPECT_EQ(ArgumentTypes(zip.Get(), L"Complete"), (std::vector<VARTYPE>{VT_I4 | VT_BYREF}));

    ComPtr<ITypeInfo> unzip = Info(DIID___cAsyncUnzip);
    EXPECT_EQ(ArgumentTypes(unzip.Get(), L"OverwritePrompt"),
              (std::vector<VARTYPE>{VT_BSTR, VT_USERDEFINED | VT_BYREF}));
    EXPECT_EQ(ArgumentTypes(unzip.Get(), L"PasswordRequest"),
              (std::vector<VARTYPE>{VT_BSTR | VT_BYREF, VT_BOOL | VT_BYREF, VT_BSTR}));
    EXPECT_EQ(ArgumentTypes(unzip.Get(), L"Complete"), (std::vector<VARTYPE>{VT_I4 | VT_BYREF}));

    ComPtr<ITypeInfo> unzipObject = VtableInfo(IID__cAsyncUnzip);
    EXPECT_EQ(ArgumentTypes(unzipObject.Get(), L"GetVersion"),
              (std::vector<VARTYPE>{VT_BSTR | VT_BYREF, VT_BSTR | VT_BYREF, VT_BSTR | VT_BYREF}));
    EXPECT_EQ(ArgumentTypes(unzipObject.Get(), L"FileDate"), (std::vector<VARTYPE>{VT_I4, VT_DATE | VT_BYREF}));
}

TEST_F(ServerTypeLibrary, EnumerationsHoldTheirValues) {
    const struct {
        const wchar_t* name;
        std::vector<std::pair<std::wstring, long>> values;
    } expected[] = {
        {L"EZPMsgLevel", {{L"ezpAllMessages", 0}, {L"ezpPartialMessages", 1}, {L"ezpNoMessages", 2}}},
        {L"EZPCompLevel", {{L"ezpNone", 0}, {L"ezpFast", 2}, {L"ezpDefault", 6}, {L"ezpMax", 9}}},
        {L"EUZMsgLevel", {{L"euzAllMessages", 0}, {L"euzPartialMessages", 1}, {L"euzNoMessages", 2}}},
        {L"EUZOverWriteResponse",
         {{L"euzDoNotOverwrite", 100},
          {L"euzOverwriteThisFile", 102},
          {L"euzOverwriteAllFiles", 103},
          {L"euzOverwriteNone", 104}}},
    };
    for (const auto& enumeration : expected) {
        ComPtr<ITypeInfo> info;
        MEMBERID id = 0;
        USHORT found = 1;
        std::wstring name = enumeration.name;
        ASSERT_HRESULT_SUCCEEDED(library->FindName(name.data(), 0, info.Receive(), &id, &found));
        ASSERT_EQ(found, 1);
        TypeAttributes attributes(info.Get());
        ASSERT_EQ(attributes->typekind, TKIND_ENUM);
        ASSERT_EQ(attributes->cVars, enumeration.values.size());
        for (UINT i = 0; i < attributes->cVars; ++i) {
            VARDESC* variable = nullptr;
            ASSERT_HRESULT_SUCCEEDED(info->GetVarDesc(i, &variable));
            EXPECT_EQ(NameOf(info.Get(), variable->memid), enumeration.values[i].first);
            EXPECT_EQ(V_I4(variable->lpvarValue), enumeration.values[i].second);
            info->ReleaseVarDesc(variable);
        }
    }
}

TEST(RunnableTypeLibrary, IsTheSecondEmbeddedLibrary) {
    ComPtr<ITypeLib> library;
    ASSERT_HRESULT_SUCCEEDED(LoadTypeLibEx((ServerPath() + L"\\2").c_str(), REGKIND_NONE, library.Receive()));
    TLIBATTR* attributes = nullptr;
    ASSERT_HRESULT_SUCCEEDED(library->GetLibAttr(&attributes));
    EXPECT_TRUE(IsEqualGUID(attributes->guid, GuidOf(L"{383BB080-E35F-11D0-8648-00AA00BDD685}")));
    EXPECT_TRUE(IsEqualGUID(attributes->guid, LIBID_RunnableLib));
    EXPECT_EQ(attributes->wMajorVerNum, 1);
    EXPECT_EQ(attributes->wMinorVerNum, 0);
    library->ReleaseTLibAttr(attributes);

    qnr::Bstr name;
    library->GetDocumentation(-1, name.Receive(), nullptr, nullptr, nullptr);
    EXPECT_EQ(name.Text(), L"RunnableLib");

    ComPtr<ITypeInfo> runnable;
    ASSERT_HRESULT_SUCCEEDED(library->GetTypeInfoOfGuid(IID_Runnable, runnable.Receive()));
    std::vector<Member> members = OwnMembers(runnable.Get());
    ASSERT_EQ(members.size(), 1u);
    EXPECT_EQ(members[0].name, L"Start");
    FunctionDescription start(runnable.Get(), 0);
    EXPECT_EQ(start->cParams, 0);
}

}  // namespace

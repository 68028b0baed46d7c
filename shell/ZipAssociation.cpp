#include "ZipAssociation.h"

#include <shlobj.h>

#include "AutomationError.h"
#include "Texts.h"

namespace bralto {

const wchar_t kBraltoFileClass[] = L"Quenor Archive";

namespace {

namespace t = shell_texts;
using texts::kCrLf;

const std::wstring kRegistryProblem = std::wstring(t::kRegistryProblem1) + kCrLf + t::kRegistryProblem2;

std::wstring ShortPathOf(const std::wstring& path) {
    wchar_t buffer[255] = {};
    DWORD n = GetShortPathNameW(path.c_str(), buffer, 255);
    return n > 0 && n < 255 ? std::wstring(buffer, n) : std::wstring();
}

}  // namespace

ZipAssociation::ZipAssociation(std::wstring programFolder) : programFolder_(std::move(programFolder)) {
    registry_.SetClassKey(cRegistry::kClassesRoot);
}

ZipAssociation::Owner ZipAssociation::CurrentOwner(std::wstring* ownerName) {
    registry_.SetSectionKey(L".zip");
    registry_.SetValueKey(L"");
    if (!registry_.KeyExists()) return Owner::Nobody;
    registry_.SetDefault(std::monostate{});
    std::wstring owner = RegistryValueText(registry_.Value());
    if (ownerName) *ownerName = owner;
    return owner == kBraltoFileClass ? Owner::Bralto : Owner::Other;
}

std::wstring ZipAssociation::InfoText() {
    std::wstring owner;
    switch (CurrentOwner(&owner)) {
    case Owner::Other:
        return t::kAssociatedWith + owner + kCrLf + kCrLf + kCrLf + t::kMakeDefault + kCrLf + kCrLf + t::kUndoFile1 +
               t::kUndoFile2 + t::kUndoFile3;
    case Owner::Bralto: return std::wstring(t::kAlreadyAssociated) + kCrLf + kCrLf + t::kRecreate1 + t::kRecreate2;
    case Owner::Nobody:
    default: return std::wstring(t::kNotAssociated) + kCrLf + kCrLf + t::kMakeDefault;
    }
}

AssociationResult ZipAssociation::Written(bool undo, const std::wstring& successText) {
    AssociationResult result;
    result.undoFileWritten = undo;
    if (!WriteAssociation()) {
        result.message = t::kRegistryWriteError;
        result.icon = MB_ICONERROR;
        return result;
    }
    result.succeeded = true;
    result.message = successText;
    return result;
}

AssociationResult ZipAssociation::Apply() {
    const Owner owner = CurrentOwner();
    AssociationResult failure;
    failure.message = kRegistryProblem;
    failure.icon = MB_ICONERROR;

    // The old key goes with all its sub-keys (ShellNew, OpenWithProgids...):
    // a plain key deletion would fail on any real association.
    if (owner == Owner::Other) {
        registry_.SetSectionKey(L".zip");
        if (!registry_.ExportToRegFile(UndoFilePath())) return failure;
        try {
            registry_.DeleteKeyTree();
        } catch (const AutomationError&) {
            return failure;
        }
        return Written(true, std::wstring(t::kSucceeded) + kCrLf + t::kNowDefault1 + t::kDefault2 + kCrLf +
                                 t::kRestore1 + t::kRestore2 + t::kRestore3);
    }
    if (owner == Owner::Bralto) {
        registry_.SetSectionKey(L".zip");
        try {
            registry_.DeleteKeyTree();
        } catch (const AutomationError&) {
            return failure;
        }
    }
    return Written(false, std::wstring(t::kSucceeded) + kCrLf + t::kDefault1 + t::kDefault2);
}

void ZipAssociation::WriteDefault(const std::wstring& section, const std::wstring& name, const std::wstring& value) {
    registry_.SetSectionKey(section);
    registry_.SetValueKey(name);
    registry_.SetValue(value);
}

bool ZipAssociation::WriteAssociation() {
    try {
        registry_.SetValueType(REG_SZ);
        WriteDefault(L".zip", L"", kBraltoFileClass);
        // The shell's New menu passes the new file's name as %2. The short
        // form keeps the command free of blanks; without one, the long path
        // is quoted so the command still runs.
        std::wstring shortExe = ShortPathOf(ExePath());
        std::wstring exe = shortExe.empty() ? L"\"" + ExePath() + L"\"" : shortExe;
        WriteDefault(L".zip\\ShellNew", L"Command", exe + L" /n %2");
        WriteDefault(kBraltoFileClass, L"", t::kFileTypeName);
        WriteDefault(std::wstring(kBraltoFileClass) + L"\\DefaultIcon", L"", ExePath() + L",0");
        WriteDefault(std::wstring(kBraltoFileClass) + L"\\Shell\\Open\\Command", L"", ExePath() + L" %1");
        WriteDefault(std::wstring(kBraltoFileClass) + L"\\Shell\\" + t::kExpressVerb + L"\\Command", L"",
                     ExePath() + L" /e %1");
        registry_.SetValueKey(L"");
    } catch (const AutomationError&) {
        return false;
    }
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return true;
}

}  // namespace bralto

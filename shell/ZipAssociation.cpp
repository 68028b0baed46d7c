#include "ZipAssociation.h"

#include <shlobj.h>

#include "AutomationError.h"

namespace bralto {

const wchar_t kBraltoFileClass[] = L"Quenor Archive";

namespace {

const wchar_t kCrLf[] = L"\r\n";

const std::wstring kRegistryProblem =
    std::wstring(L"Problème lors de l'accès au Registre.") + kCrLf + L"Les changements n'ont pas été réalisés.";
const std::wstring kWriteError = L"Erreur lors de l'inscription des informations dans le registre.";

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
            return L"Les fichiers Zip sont associés à " + owner + kCrLf + kCrLf + kCrLf +
                   L"Choisir OK pour faire de Bralto l'application par défaut pour les fichiers Zip." + kCrLf + kCrLf +
                   L"Bralto génèrera dans son répertoire le fichier " + L"Undo.reg, pour restauration de votre " +
                   L"configuration actuelle.";
        case Owner::Bralto:
            return std::wstring(L"Les fichiers Zip sont déjà associés à Bralto.") + kCrLf + kCrLf +
                   L"Choisir OK pour recréer l'association (s'il semble " + L"y avoir une erreur d'association.)";
        case Owner::Nobody:
        default:
            return std::wstring(L"Il n'y a pas d'application associée aux fichiers Zip.") + kCrLf + kCrLf +
                   L"Choisir OK pour faire de Bralto l'application par défaut pour les fichiers Zip.";
    }
}

AssociationResult ZipAssociation::Written(bool undo, const std::wstring& successText) {
    AssociationResult result;
    result.undoFileWritten = undo;
    if (!WriteAssociation()) {
        result.message = kWriteError;
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
        return Written(true, std::wstring(L"Opération réussie.") + kCrLf +
                                 L"Bralto est maintenant l'application par défaut associée aux" + L" fichiers Zip." +
                                 kCrLf + L"Pour restaurer l'association" +
                                 L" antérieure, double-cliquez sur le fichier Undo.reg" +
                                 L" situé dans le répertoire de Bralto.");
    }
    if (owner == Owner::Bralto) {
        registry_.SetSectionKey(L".zip");
        try {
            registry_.DeleteKeyTree();
        } catch (const AutomationError&) {
            return failure;
        }
    }
    return Written(false, std::wstring(L"Opération réussie.") + kCrLf +
                              L"Bralto est l'application par défaut associée aux" + L" fichiers Zip.");
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
        WriteDefault(kBraltoFileClass, L"", L"Archive Bralto");
        WriteDefault(std::wstring(kBraltoFileClass) + L"\\DefaultIcon", L"", ExePath() + L",0");
        WriteDefault(std::wstring(kBraltoFileClass) + L"\\Shell\\Open\\Command", L"", ExePath() + L" %1");
        WriteDefault(std::wstring(kBraltoFileClass) + L"\\Shell\\Extraction express\\Command", L"",
                     ExePath() + L" /e %1");
        registry_.SetValueKey(L"");
    } catch (const AutomationError&) {
        return false;
    }
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return true;
}

}  // namespace bralto

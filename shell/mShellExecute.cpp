#include "mShellExecute.h"

#include <shellapi.h>

namespace bralto {

namespace {
const wchar_t* OrNull(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }
}  // namespace

std::wstring ShellOpenErrorText(INT_PTR result) {
    switch (result) {
        case 0:
        case 8: return L"Mémoire insuffisante.";
        case 2: return L"Fichier non trouvé.";
        case 3: return L"Erreur dans le chemin.";
        case 5: return L"Accès au fichier refusé.";
        case 11: return L"Erreur lors de l'ouverture du fichier.";
        case 26: return L"Violation de partage.";
        case 27: return L"Ce type de fichier n'a pas d'association valide.";
        case 28: return L"Délai d'attente dépassé.";
        case 29: return L"Erreur dans la transaction DDE.";
        case 30: return L"L'application demandée est occupée.";
        case 31: return L"Aucune application n'est associée à ce type de fichier.";
        case 32: return L"Une DLL requise n'a pas été trouvée.";
        default: return L"Une erreur est survenue pendant l'ouverture du fichier.";
    }
}

INT_PTR ShellOpen(const std::wstring& file, const std::wstring& operation, const std::wstring& parameters,
                  const std::wstring& folder, int showCommand, HWND owner, bool showErrors) {
    INT_PTR result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(owner, OrNull(operation), file.c_str(), OrNull(parameters), OrNull(folder), showCommand));
    if (showErrors && result <= 32)
        MessageBoxW(owner, ShellOpenErrorText(result).c_str(), L"Bralto", MB_OK | MB_ICONERROR);
    return result;
}

}  // namespace bralto

// French texts of the program's own controls.
#pragma once

namespace bralto::texts {

// Progress bar range errors.
inline constexpr wchar_t kProgressMaxAboveZero[] = L"La propriété Max doit être supérieure à 0";
inline constexpr wchar_t kProgressMinBelowMax[] = L"La propriété Min doit être inférieure à la propriété Max";
inline constexpr wchar_t kProgressMinNotNegative[] = L"La propriété Min doit être supérieure ou égale à 0";
inline constexpr wchar_t kProgressValueInRange[] =
    L"Value doit être supérieure ou égale à Min et inférieure ou égale à Max";

// Folder field.
inline constexpr wchar_t kBrowserCaption[] = L"Choisir un répertoire";
inline constexpr wchar_t kBrowserButton[] = L"...";

// File list column headers.
inline constexpr wchar_t kColumnName[] = L"Nom";
inline constexpr wchar_t kColumnSize[] = L"Taille";
inline constexpr wchar_t kColumnType[] = L"Type";
inline constexpr wchar_t kColumnModified[] = L"Modifié";
inline constexpr wchar_t kKilobytes[] = L" Ko";

// Placeholder child that gives a folder node its expand button.
inline constexpr wchar_t kTreePlaceholder[] = L"Unused";

}  // namespace bralto::texts

// French texts of the option windows: extraction, folder choice, dropped
// files, deletion and the about box. Set on the controls when the windows
// are created; the layouts live with each window's code.
#pragma once

namespace bralto::dialog_texts {

// ---- frmExtractFiles ----
inline constexpr wchar_t kExtractCaption[] = L"Extraction de fichiers";
inline constexpr wchar_t kExtractDestination[] = L"Répertoire destination";
inline constexpr const wchar_t* kExtractCommonFolders[] = {L"Répertoire du fichier zip", L"Répertoire temporaire",
                                                            L"Bureau", L"Mes documents"};
inline constexpr wchar_t kExtractThisFolder[] = L"ce répertoire >";
inline constexpr wchar_t kExtractFilesLabel[] = L"Fichiers à extraire";
inline constexpr const wchar_t* kExtractFiles[] = {L"Les fichiers sélectionnés", L"Tous les fichiers de l'archive"};
inline constexpr wchar_t kExtractActionLabel[] = L"Action";
inline constexpr const wchar_t* kExtractActions[] = {L"Demander confirmation avant d'écraser un fichier",
                                                      L"Ne pas autoriser l'écrasement de fichiers",
                                                      L"Autoriser l'écrasement de fichiers sans confirmation"};
inline constexpr wchar_t kExtractOnlyNewer[] = L"Ne traiter que les fichiers plus récents ou inexistants";
inline constexpr wchar_t kExtractOnlyExistingNewer[] = L"Ne traiter que les fichiers plus récents existants";
inline constexpr wchar_t kExtractUsePath[] = L"Utiliser les chemins enregistrés";
inline constexpr wchar_t kExtractButton[] = L"Extraire";
inline constexpr wchar_t kExtractCancel[] = L"Annuler";

// ---- frmBrowse ----
inline constexpr wchar_t kBrowseCaption[] = L"Choisir un répertoire";
inline constexpr wchar_t kBrowseOk[] = L"&OK";
inline constexpr wchar_t kBrowseCancel[] = L"&Annuler";

}  // namespace bralto::dialog_texts

namespace bralto::dialog_texts {

// ---- frmDrag ----
inline constexpr wchar_t kDragCaption[] = L"Drag and Drop";
inline constexpr wchar_t kDragActionLabel[] = L"Action";
inline constexpr const wchar_t* kDragActions[] = {L"Ajouter (et remplacer)",
                                                   L"Mettre à jour (fichiers existants seulement)",
                                                   L"Mettre à jour (tous)", L"Supprimer les originaux"};
inline constexpr wchar_t kDragCompressionLabel[] = L"Compression";
inline constexpr const wchar_t* kDragCompressions[] = {L"Maximale", L"Normale", L"Rapide", L"Aucune"};
inline constexpr wchar_t kDragOptions[] = L"Options";
inline constexpr wchar_t kDragEmptyFolders[] = L"Inclure les répertoires vides";
inline constexpr wchar_t kDragEncrypt[] = L"Crypter les fichiers";
inline constexpr wchar_t kDragSystemHidden[] = L"Inclure les fichiers système/cachés";
inline constexpr wchar_t kDragStorePath[] = L"Enregistrer le chemin";
inline constexpr wchar_t kDragSubFolders[] = L"Inclure les sous-répertoires";
inline constexpr wchar_t kDragOk[] = L"&OK";
inline constexpr wchar_t kDragCancel[] = L"&Annuler";

// ---- frmDelete ----
inline constexpr wchar_t kDeleteCaption[] = L"Suppression de fichiers";
inline constexpr wchar_t kDeleteFrame[] = L"Supprimer:";
inline constexpr wchar_t kDeleteSelected[] = L"les fichiers sélectionnés";
inline constexpr wchar_t kDeleteAll[] = L"tous les fichiers de l'archive";
inline constexpr wchar_t kDeleteOk[] = L"&OK";
inline constexpr wchar_t kDeleteCancel[] = L"&Annuler";

}  // namespace bralto::dialog_texts

namespace bralto::dialog_texts {

// ---- frmAbout ----
inline constexpr wchar_t kAboutCaption[] = L"A propos de";
inline constexpr wchar_t kAboutVersion[] = L"Version ";
inline constexpr wchar_t kAboutLicensedTo[] = L"License accordée à ";
inline constexpr wchar_t kAboutMail[] = L"Mail:";
inline constexpr wchar_t kAboutWeb[] = L"Web:";
inline constexpr wchar_t kAboutMailAddress[] = L"auteur@bralto.example";
inline constexpr wchar_t kAboutWebAddress[] = L"http://www.bralto.example/";
inline constexpr wchar_t kAboutMailScheme[] = L"mailto: ";
inline constexpr wchar_t kAboutOk[] = L"OK";

}  // namespace bralto::dialog_texts

// Every French text that Bralto's main window, its controls and its small
// dialogs show, in one place. Windows and dialogs take their captions from
// here when they are created.
#pragma once

namespace bralto::texts {

inline constexpr wchar_t kProgramName[] = L"Bralto";
inline constexpr wchar_t kCrLf[] = L"\r\n";

// ---- Main window: menus ----
inline constexpr const wchar_t* kTopMenus[] = {L"&Fichier", L"&Edition", L"&Action", L"&Outils", L"&?"};
inline constexpr const wchar_t* kFichierItems[] = {L"&Nouveau", L"&Ouvrir"};
inline constexpr const wchar_t* kQuitterItems[] = {L"-", L"&Quitter"};
inline constexpr const wchar_t* kEditionItems[] = {L"&Inverser la sélection", L"Information sur le &fichier"};
inline constexpr const wchar_t* kActionItems[] = {L"&Ajouter des fichiers", L"&Extraire des fichiers",
                                                   L"E&xtraction express", L"&Supprimer des fichiers"};
inline constexpr const wchar_t* kOutilsItems[] = {L"&Tester le fichier", L"&Propriétés du fichier", L"&Commentaire"};
inline constexpr const wchar_t* kAideItems[] = {L"A&ide sur Bralto", L"&Association de fichiers...", L"-",
                                                 L"A &propos de..."};

// ---- Main window: toolbar tool tips (buttons 1 to 6) ----
inline constexpr const wchar_t* kToolTips[] = {L"Créer une nouvelle archive", L"Ouvrir une archive existante",
                                                L"Ajouter des fichiers",       L"Extraire des fichiers",
                                                L"Extraction express",         L"Supprimer des fichiers"};

// ---- Main window: list columns ----
inline constexpr const wchar_t* kColumns[] = {L"Nom",    L"C",     L"Type",     L"Modifié",
                                               L"Taille", L"Ratio", L"Comprimé", L"Chemin"};
inline constexpr wchar_t kEncryptedMark[] = L"©";

// ---- Main window: other controls ----
inline constexpr wchar_t kCancel[] = L"Annuler";
inline constexpr wchar_t kLogCaption[] = L"Messages DLL";
inline constexpr wchar_t kReady[] = L"Prêt";
inline constexpr wchar_t kReading[] = L"Lit le fichier";
inline constexpr wchar_t kCancelling[] = L"Annulation. Veuillez patienter...";
inline constexpr wchar_t kPreparing[] = L"Préparation...";

// ---- Common dialogs ----
inline constexpr wchar_t kNewArchiveTitle[] = L"Créer une nouvelle archive";
inline constexpr wchar_t kOpenArchiveTitle[] = L"Ouvrir une archive existante";
// "Zip (*.zip)|*.zip|Tous (*.*)|*.*" in the NUL-separated form of the file dialogs.
inline constexpr wchar_t kZipFilter[] = L"Zip (*.zip)\0*.zip\0Tous (*.*)\0*.*\0";

// ---- Opening an archive ----
inline constexpr wchar_t kOpenFailed[] = L"Bralto ne parvient pas à ouvrir ";
inline constexpr wchar_t kNotFound[] = L"Le fichier est introuvable.";
inline constexpr wchar_t kNotAZip1[] = L"Le fichier n'est pas un fichier zip,";
inline constexpr wchar_t kNotAZip2[] = L"ou est un fragment non terminal d'une archive répartie sur ";
inline constexpr wchar_t kNotAZip3[] = L"plusieurs supports (non pris en charge par cette version).";
inline constexpr wchar_t kLastVolume1[] = L" est le dernier fragment d'une archive";
inline constexpr wchar_t kLastVolume2[] = L" répartie sur plusieurs supports.";
inline constexpr wchar_t kLastVolume3[] = L"Cette fonction n'est pas prise en charge par cette version.";
inline constexpr wchar_t kLastVolume4[] = L"Le fichier va être ouvert pour lecture seule. ";
inline constexpr wchar_t kLastVolume5[] = L"Vous ne pourrez ni ajouter, ni extraire de fichier.";
inline constexpr wchar_t kDamaged1[] = L"Le fichier ";
inline constexpr wchar_t kDamaged2[] = L" présente des erreurs.";
inline constexpr wchar_t kDamaged3[] = L"Testez le après ouverture et essayez d'extraire son contenu dans un répertoire ";
inline constexpr wchar_t kDamaged4[] = L"temporaire.";
inline constexpr wchar_t kOpenError[] = L"Erreur lors de l'ouverture du fichier.";

// ---- Jobs ----
inline constexpr wchar_t kTooManyFiles1[] = L"Trop de fichiers à traiter !";
inline constexpr wchar_t kTooManyFiles2[] = L"Effectuer plusieurs sélections plus petites.";
inline constexpr wchar_t kWriteError[] = L"Erreur pendant l'écriture du fichier.";
inline constexpr wchar_t kOutOfMemory[] = L"Mémoire insuffisante pour l'opération.";
inline constexpr wchar_t kNothingMatched[] = L"Pas de fichiers correspondant à la requête.";
inline constexpr wchar_t kParameters1[] = L"Erreur de paramètres.";
inline constexpr wchar_t kParameters2[] = L"Probable conflict de noms de fichiers ";
inline constexpr wchar_t kParameters3[] = L"(fichiers de même nom dans des répertoires distincts).";
inline constexpr wchar_t kParameters4[] = L"Réessayez en validant l'option 'Enregistrer le chemin'.";
inline constexpr wchar_t kErrorsDuring[] = L"Des erreurs ont été rencontrées lors de ";
inline constexpr wchar_t kErrorsZipping[] = L"la compression des fichiers.";
inline constexpr wchar_t kErrorsExtracting[] = L"l'extraction des fichiers.";
inline constexpr wchar_t kWantDetails1[] = L"Souhaitez-vous ";
inline constexpr wchar_t kWantDetails2[] = L"des précisions ?";

// ---- Password windows ----
inline constexpr wchar_t kPasswordCaption[] = L"Mot de passe";
inline constexpr wchar_t kPasswordEnter[] = L"Saisir un mot de passe...";
inline constexpr wchar_t kPasswordConfirm[] = L"...et sa confirmation";
inline constexpr wchar_t kOk[] = L"&OK";
inline constexpr wchar_t kCancelButton[] = L"&Annuler";
inline constexpr wchar_t kPasswordMismatch1[] = L"Mot de passe et sa confirmation différents.";
inline constexpr wchar_t kPasswordMismatch2[] = L"Recommencer ?";
inline constexpr wchar_t kPasswordEmpty[] = L"Saisir un mot de passe.";
inline constexpr wchar_t kPasswordAskInfo[] = L"Saisir le mot de passe. <Entrée> pour valider, <ESC> pour annuler";

// ---- Overwrite window ----
inline constexpr wchar_t kOverwritePrefix[] = L"Ecraser ";
inline constexpr wchar_t kOverwriteSuffix[] = L" ?";
inline constexpr const wchar_t* kOverwriteButtons[] = {L"&Oui", L"&Non", L"Oui à &tous", L"Non à to&us"};

}  // namespace bralto::texts

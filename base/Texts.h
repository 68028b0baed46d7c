// Every French text that Bralto shows: its windows, controls, dialogs and
// messages, in one place. Windows and dialogs take their captions from here
// when they are created.
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

// ---- Commands ----
inline constexpr wchar_t kNoSelectionMade[] = L"Aucune sélection n'a été effectuée.";
inline constexpr wchar_t kNoFileSelected[] = L"Aucun fichier sélectionné.";
// The server could not read the archive's directory again before marking
// the chosen members (the archive changed or vanished since it was listed).
inline constexpr wchar_t kMembersUnreadable[] =
    L"Bralto ne parvient plus à lire le contenu de l'archive. Rouvrez-la puis recommencez.";

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
inline constexpr wchar_t kDamaged3[] =
    L"Testez le après ouverture et essayez d'extraire son contenu dans un répertoire ";
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
inline constexpr wchar_t kServerUnavailable1[] = L"Le serveur qnrZip n'a pas pu être démarré.";
inline constexpr wchar_t kServerUnavailable2[] = L"L'opération n'a pas été lancée.";
inline constexpr wchar_t kJobNotStarted[] = L"L'opération n'a pas pu être lancée par le serveur qnrZip.";
inline constexpr wchar_t kServerLost1[] = L"Le serveur qnrZip s'est arrêté pendant l'opération.";
inline constexpr wchar_t kServerLost2[] = L"L'opération n'a pas abouti : vérifiez l'archive avant de la réutiliser.";

// ---- Files dropped on the main window ----
inline constexpr wchar_t kDropOpenError[] = L"Erreur lors de l'ouverture de ";
inline constexpr wchar_t kDropOpenErrorEnd[] = L".";
inline constexpr wchar_t kDropOpenOrAdd1[] = L"Souhaitez-vous ouvrir ce fichier ou l'ajouter à";
inline constexpr wchar_t kDropOpenOrAdd2[] = L" l'Archive en cours ?";
inline constexpr wchar_t kDropOpenOrAdd3[] = L"Répondez Oui pour l'ouvrir, Non pour l'ajouter.";
// The qnrZip server could not be started (missing or not registered).
inline constexpr wchar_t kDropServerUnavailable[] =
    L"Le serveur de compression qnrZip n'a pas pu être lancé. Aucun fichier n'a été ajouté.";

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

// ---- The program's own controls ----

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

// ---- Option windows: extraction, folder choice, dropped files, deletion, express extraction, about box ----

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

// ---- frmQuickExtract ----
inline constexpr wchar_t kQuickExtractCaption[] = L"Extraction express";
inline constexpr wchar_t kQuickExtractFrame[] = L"Extraire:";
inline constexpr wchar_t kQuickExtractSelected[] = L"les fichiers sélectionnés";
inline constexpr wchar_t kQuickExtractAll[] = L"tous les fichiers de l'archive";
inline constexpr wchar_t kQuickExtractOk[] = L"&OK";
inline constexpr wchar_t kQuickExtractCancel[] = L"&Annuler";

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

namespace bralto::dialog_texts {

// ---- frmAddFiles ----
inline constexpr wchar_t kAddCaption[] = L"Ajout de fichiers";
inline constexpr wchar_t kAddFilesFrame[] = L"Fichiers";
inline constexpr wchar_t kAddSelectedFiles[] = L"Ajouter les &fichiers sélectionnés";
inline constexpr wchar_t kAddFolderFrame[] = L"Répertoire";
inline constexpr wchar_t kAddTheseFiles[] = L"A&jouter ces fichiers";
inline constexpr wchar_t kAddSubFolders[] = L"Inclure les sous-répertoires";
inline constexpr wchar_t kAddMaskLabel[] = L"Masque:";
inline constexpr wchar_t kAddDefaultMask[] = L"*.*";
inline constexpr wchar_t kAddSelectionLabel[] = L"Eléments sélectionnés";
inline constexpr wchar_t kAddColumnFile[] = L"Fichier";
inline constexpr wchar_t kAddColumnKind[] = L"Unused";
inline constexpr wchar_t kAddActionLabel[] = L"Action";
inline constexpr const auto& kAddActions = kDragActions;
inline constexpr wchar_t kAddCompressionLabel[] = L"Compression";
inline constexpr const auto& kAddCompressions = kDragCompressions;
inline constexpr wchar_t kAddOptions[] = L"Options";
inline constexpr const auto& kAddEmptyFolders = kDragEmptyFolders;
inline constexpr const auto& kAddStorePath = kDragStorePath;
inline constexpr const auto& kAddSystemHidden = kDragSystemHidden;
inline constexpr const auto& kAddEncrypt = kDragEncrypt;
inline constexpr wchar_t kAddFinish[] = L"&Terminer";
inline constexpr wchar_t kAddCancel[] = L"&Annuler";
inline constexpr wchar_t kAddNext[] = L"&Suivant>";
inline constexpr wchar_t kAddPrevious[] = L"<&Précédent";
inline constexpr wchar_t kAddNoMask[] = L"Spécifier un masque de sélection";
// The name-conflict question: the first three pieces make one sentence,
// the others are lines of their own.
inline constexpr wchar_t kAddConflictSeveral[] =
    L"Vous avez sélectionné plusieurs répertoires (et/ou sous-répertoires).";
inline constexpr wchar_t kAddConflictPossible[] = L" Un conflict de nom de fichier est possible ";
inline constexpr wchar_t kAddConflictWhy[] = L"(fichiers de même nom dans des répertoires distincts).";
inline constexpr wchar_t kAddConflictRemedy[] =
    L"Pour résoudre cet éventuel conflict, l'option 'Enregistrer les chemins' doit être validée.";
inline constexpr wchar_t kAddConflictWarning[] =
    L"Vous pouvez cependant ne rien modifier, Bralto vous avertira si une erreur se produit.";
inline constexpr wchar_t kAddConflictQuestion[] = L"Cocher l'option Enregistrer les chemins ?";

}  // namespace bralto::dialog_texts

// ---- The archive engine: errors raised to its callers ----

namespace bralto::engine_texts {

inline constexpr wchar_t kSubscriptOutOfRange[] = L"L'indice n'appartient pas à la sélection.";
inline constexpr wchar_t kLibraryNotFound[] = L"Fichier introuvable : ";
inline constexpr wchar_t kEntryPointPrefix[] = L"Point d'entrée ";
inline constexpr wchar_t kEntryPointNotFoundIn[] = L" introuvable dans ";

}  // namespace bralto::engine_texts

// ---- Express extraction window, and what failed: the second line under
// "Des erreurs ont été rencontrées lors de l'extraction des fichiers." ----

namespace bralto::express_texts {

inline constexpr wchar_t kCaptionPrefix[] = L"Extraction express de ";
// Appended to an archive whose name is too short to lose its last four characters.
inline constexpr wchar_t kExtractedSuffix[] = L" (extrait)";
inline constexpr wchar_t kArchiveMissing[] = L"L'archive est introuvable.";
inline constexpr wchar_t kNotAnArchive[] = L"Le fichier n'est pas une archive zip.";
inline constexpr wchar_t kArchiveDamaged[] = L"L'archive est endommagée.";
inline constexpr wchar_t kMemberDamaged[] = L"Un fichier de l'archive est endommagé.";
inline constexpr wchar_t kWrongPassword[] = L"Le mot de passe est incorrect.";
inline constexpr wchar_t kCannotCreate[] = L"Un fichier ou un répertoire n'a pas pu être créé.";
inline constexpr wchar_t kDiskFull[] = L"Erreur pendant l'écriture d'un fichier (disque plein ?).";
inline constexpr wchar_t kOutOfMemory[] = L"Mémoire insuffisante pour l'opération.";
inline constexpr wchar_t kUnsupported[] = L"Méthode de compression ou de cryptage non prise en charge.";
inline constexpr wchar_t kServerUnavailable[] = L"Le serveur d'extraction n'a pas pu être lancé.";
inline constexpr wchar_t kServerLost[] = L"Le serveur d'extraction s'est arrêté avant la fin de l'extraction.";
inline constexpr wchar_t kOtherCode[] = L"Code d'erreur ";

}  // namespace bralto::express_texts

// ---- Shell: the .zip association, its window, opening a file ----

namespace bralto::shell_texts {

inline constexpr wchar_t kRegistryProblem1[] = L"Problème lors de l'accès au Registre.";
inline constexpr wchar_t kRegistryProblem2[] = L"Les changements n'ont pas été réalisés.";
inline constexpr wchar_t kRegistryWriteError[] = L"Erreur lors de l'inscription des informations dans le registre.";
inline constexpr wchar_t kAssociatedWith[] = L"Les fichiers Zip sont associés à ";
inline constexpr wchar_t kMakeDefault[] =
    L"Choisir OK pour faire de Bralto l'application par défaut pour les fichiers Zip.";
inline constexpr wchar_t kUndoFile1[] = L"Bralto génèrera dans son répertoire le fichier ";
inline constexpr wchar_t kUndoFile2[] = L"Undo.reg, pour restauration de votre ";
inline constexpr wchar_t kUndoFile3[] = L"configuration actuelle.";
inline constexpr wchar_t kAlreadyAssociated[] = L"Les fichiers Zip sont déjà associés à Bralto.";
inline constexpr wchar_t kRecreate1[] = L"Choisir OK pour recréer l'association (s'il semble ";
inline constexpr wchar_t kRecreate2[] = L"y avoir une erreur d'association.)";
inline constexpr wchar_t kNotAssociated[] = L"Il n'y a pas d'application associée aux fichiers Zip.";
inline constexpr wchar_t kSucceeded[] = L"Opération réussie.";
inline constexpr wchar_t kNowDefault1[] = L"Bralto est maintenant l'application par défaut associée aux";
inline constexpr wchar_t kDefault1[] = L"Bralto est l'application par défaut associée aux";
inline constexpr wchar_t kDefault2[] = L" fichiers Zip.";
inline constexpr wchar_t kRestore1[] = L"Pour restaurer l'association";
inline constexpr wchar_t kRestore2[] = L" antérieure, double-cliquez sur le fichier Undo.reg";
inline constexpr wchar_t kRestore3[] = L" situé dans le répertoire de Bralto.";
// The comment line under the header of an exported registry file (the
// Undo.reg of the association): ";fichier généré par Bralto le <date>".
inline constexpr wchar_t kExportGeneratedBy[] = L";fichier généré par ";
inline constexpr wchar_t kExportGeneratedOn[] = L" le ";
// The file type's name and the express verb, as the shell shows them.
inline constexpr wchar_t kFileTypeName[] = L"Archive Bralto";
inline constexpr wchar_t kExpressVerb[] = L"Extraction express";

// frmRegister
inline constexpr wchar_t kRegisterReminder[] =
    L"Vous pouvez rappeler cette boîte de dialogue à tout moment par le menu '?'.";
inline constexpr wchar_t kRegisterDontShowAgain[] = L"Ne plus afficher cette boîte de dialogue au démarrage";
inline constexpr wchar_t kRegisterOk[] = L"&OK";
inline constexpr wchar_t kRegisterCancel[] = L"&Annuler";

// ShellExecute's error codes.
inline constexpr wchar_t kOpenOutOfMemory[] = L"Mémoire insuffisante.";
inline constexpr wchar_t kOpenFileNotFound[] = L"Fichier non trouvé.";
inline constexpr wchar_t kOpenPathNotFound[] = L"Erreur dans le chemin.";
inline constexpr wchar_t kOpenAccessDenied[] = L"Accès au fichier refusé.";
inline constexpr wchar_t kOpenBadFormat[] = L"Erreur lors de l'ouverture du fichier.";
inline constexpr wchar_t kOpenSharingViolation[] = L"Violation de partage.";
inline constexpr wchar_t kOpenAssociationIncomplete[] = L"Ce type de fichier n'a pas d'association valide.";
inline constexpr wchar_t kOpenDdeTimeout[] = L"Délai d'attente dépassé.";
inline constexpr wchar_t kOpenDdeFailed[] = L"Erreur dans la transaction DDE.";
inline constexpr wchar_t kOpenDdeBusy[] = L"L'application demandée est occupée.";
inline constexpr wchar_t kOpenNoAssociation[] = L"Aucune application n'est associée à ce type de fichier.";
inline constexpr wchar_t kOpenDllNotFound[] = L"Une DLL requise n'a pas été trouvée.";
inline constexpr wchar_t kOpenOtherError[] = L"Une erreur est survenue pendant l'ouverture du fichier.";

}  // namespace bralto::shell_texts
// ---- Test, comment and information windows ----

namespace bralto::info_texts {

// ---- frmTest ----
inline constexpr wchar_t kTestCaptionPrefix[] = L"Test de ";
inline constexpr wchar_t kTestCancel[] = L"Annuler";
inline constexpr wchar_t kTestClose[] = L"Fermer";
inline constexpr wchar_t kTestOverflow[] = L"Test ajourné: dépassement de capacité de la zone d'affichage.";
// Written in the report when the job could not be handed to qnrZip.
inline constexpr wchar_t kTestServerUnavailable[] =
    L"Le serveur qnrZip n'a pas pu être lancé : le test n'a pas eu lieu.";

// ---- frmComment ----
inline constexpr wchar_t kCommentCaption[] = L"Commentaire";
inline constexpr wchar_t kCommentSave[] = L"&Enregistrer";
inline constexpr wchar_t kCommentClear[] = L"E&ffacer";
inline constexpr wchar_t kCommentCancel[] = L"&Annuler";
// A comment the zip engine could not write: the first line, then what the
// engine's result code says, then the library's own last message if any.
inline constexpr wchar_t kCommentNotSaved[] =
    L"Le commentaire n'a pas été enregistré : l'archive n'a pas été modifiée.";
inline constexpr wchar_t kCommentCannotRewrite[] =
    L"L'archive ne peut pas être récrite (fichier en lecture seule ou utilisé par un autre programme).";
inline constexpr wchar_t kCommentCannotRead[] =
    L"L'archive ne peut pas être lue (elle est peut-être utilisée par un autre programme).";
inline constexpr wchar_t kCommentArchiveDamaged[] = L"L'archive est endommagée.";
inline constexpr wchar_t kCommentArchiveMissing[] = L"L'archive est introuvable.";
inline constexpr wchar_t kCommentWriteFailed[] =
    L"Erreur pendant l'écriture du fichier (disque plein, ou archive utilisée par un autre programme ?).";
inline constexpr wchar_t kCommentOutOfMemory[] = L"Mémoire insuffisante pour l'opération.";
inline constexpr wchar_t kCommentOtherCode[] = L"Code d'erreur ";

// ---- frmZipInfo ----
inline constexpr wchar_t kZipInfoCaption[] = L"Propriétés";
inline constexpr wchar_t kZipInfoFileFrame[] = L"Fichier archive";
inline constexpr wchar_t kZipInfoDataFrame[] = L"Données";
// lblEti(0) to lblEti(7).
inline constexpr const wchar_t* kZipInfoLabels[] = {L"Taille",
                                                    L"Taille comprimée",
                                                    L"Taille non comprimée",
                                                    L"Facteur de compression",
                                                    L"Nombre de fichiers",
                                                    L"Emplacement",
                                                    L"Nom",
                                                    L"Date"};

// ---- frmFileInfo ----
inline constexpr wchar_t kFileInfoCaption[] = L"Informations sur";
// lblEti(0) to lblEti(7).
inline constexpr const wchar_t* kFileInfoLabels[] = {L"Origine", L"Nom",      L"Type",  L"Taille",
                                                     L"Date",    L"Comprimé", L"Ratio", L"Crypté"};
inline constexpr wchar_t kFileInfoNoFolder[] = L"non enregistrée";
inline constexpr wchar_t kYes[] = L"Oui";
inline constexpr wchar_t kNo[] = L"Non";
inline constexpr wchar_t kInfoClose[] = L"Fermer";

}  // namespace bralto::info_texts

// ---- Help: the HTML Help file beside the program ----

namespace bralto::help_texts {

inline constexpr wchar_t kHelpFileName[] = L"Bralto.chm";
inline constexpr wchar_t kHelpMissing1[] = L"Le fichier d'aide ";
inline constexpr wchar_t kHelpMissing2[] = L" est introuvable.";
inline constexpr wchar_t kHelpReinstall[] = L"Réinstallez Bralto pour retrouver son aide.";
inline constexpr wchar_t kHelpViewerMissing[] =
    L"L'afficheur d'aide HTML de Windows (hhctrl.ocx) n'est pas disponible.";
inline constexpr wchar_t kHelpNotShown[] = L"L'aide de Bralto ne peut pas être affichée.";

}  // namespace bralto::help_texts

; The installer of Bralto, built by makensis from CMake (target `installer`).
;   makensis -DVERSION=1.0.0 -DARCH=x86_64 -DBINDIR=<bin> -DICON=<ico> -DOUTFILE=<exe> Bralto.nsi
; Per user by default (no administrator rights needed), for every user of the
; machine when the user chooses it and may elevate. /S installs silently;
; /AllUsers or /CurrentUser choose the mode on the command line.
!ifndef VERSION | ARCH | BINDIR | OUTFILE | ICON
  !error "VERSION, ARCH, BINDIR, ICON and OUTFILE must be defined"
!endif

; The installer is a program of the same kind as the one it installs: the
; 64-bit build gets a 64-bit installer (and runs where its binaries run).
!if "${ARCH}" == "x86_64"
  Target amd64-unicode
!else
  Target x86-unicode
!endif
SetCompressor /SOLID lzma

!define PRODUCT "Bralto"
!define PUBLISHER "Quenor"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Bralto"
; The settings store of Bralto.exe, per user.
!define SETTINGS_KEY "Software\Quenor App Bralto"
; The file-type class written by the .zip association.
!define ZIP_CLASS "Quenor Archive"
!define MAIN_WINDOW_CLASS "BraltoMainWindow"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"

; The choice of mode needs Highest: MultiUser offers "every user" only to a
; process that already has the rights and cannot elevate after the choice,
; so an administrator is asked to elevate even for a per-user install (the
; README says so, and how to avoid it).
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
; An installation over an earlier one keeps its mode and its folder.
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallMode"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_INIT_TEXT_ADMINREQUIRED "L'installation de ${PRODUCT} demande les droits d'administrateur."
!define MULTIUSER_INIT_TEXT_POWERREQUIRED "L'installation de ${PRODUCT} demande au moins les droits d'utilisateur avec pouvoir."
!define MULTIUSER_INIT_TEXT_ALLUSERSNOTPOSSIBLE "Votre compte n'a pas les droits nécessaires pour installer ${PRODUCT} pour tous les utilisateurs de cet ordinateur."
!if "${ARCH}" == "x86_64"
  !define MULTIUSER_USE_PROGRAMFILES64
!endif

!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "Licence.txt"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Bralto.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Démarrer ${PRODUCT}"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "French"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_FRENCH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_FRENCH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_FRENCH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_FRENCH} "FileDescription" "Installation de ${PRODUCT}"
VIAddVersionKey /LANG=${LANG_FRENCH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_FRENCH} "LegalCopyright" "Ce programme est fourni tel quel, sans aucune garantie."

; Files replaced while Bralto runs would be half old, half new: ask the user
; to close it. Silent runs close it themselves.
!macro CLOSE_BRALTO PREFIX
Function ${PREFIX}CloseBralto
  ${Do}
    FindWindow $0 "${MAIN_WINDOW_CLASS}"
    ${If} $0 == 0
      Return
    ${EndIf}
    ${If} ${Silent}
      SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
      Sleep 1000
      FindWindow $0 "${MAIN_WINDOW_CLASS}"
      ${If} $0 != 0
        Abort
      ${EndIf}
      Return
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} est ouvert. Fermez-le, puis choisissez Réessayer." IDRETRY +2
    Abort
  ${Loop}
FunctionEnd
!macroend
!insertmacro CLOSE_BRALTO ""
!insertmacro CLOSE_BRALTO "un."

; qnrZip ends by itself shortly after its last client lets it go, but a
; running program cannot be deleted: wait for it (a client may be finishing
; a job), then ask; a silent run leaves the rest to the next restart.
Function un.WaitForServerEnd
  StrCpy $0 0
  ${Do}
    ClearErrors
    Delete "$INSTDIR\qnrZip.exe"
    ${IfNot} ${Errors}
      Return
    ${EndIf}
    IntOp $0 $0 + 1
    ${If} $0 < 50
      Sleep 200
    ${ElseIf} ${Silent}
      Delete /REBOOTOK "$INSTDIR\qnrZip.exe"
      Return
    ${Else}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Le serveur qnrZip est en cours d'utilisation par un autre programme. Fermez ce programme, puis choisissez Réessayer." /SD IDCANCEL IDRETRY +2
      Abort
      StrCpy $0 0
    ${EndIf}
  ${Loop}
FunctionEnd

!macro SELECT_REGISTRY_VIEW
  !if "${ARCH}" == "x86_64"
    SetRegView 64
  !endif
!macroend

; The scope of qnrZip's registration, the install's own: "/machine" for
; every user, "/user" for the current one (even when the machine's classes
; would be writable).
!macro REGISTRATION_SCOPE VAR
  ${If} $MultiUser.InstallMode == "AllUsers"
    StrCpy ${VAR} "/machine"
  ${Else}
    StrCpy ${VAR} "/user"
  ${EndIf}
!macroend

Function .onInit
  !insertmacro SELECT_REGISTRY_VIEW
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  !insertmacro SELECT_REGISTRY_VIEW
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "Bralto" SecMain
  SectionIn RO
  Call CloseBralto
  SetOutPath "$INSTDIR"
  File "${BINDIR}\Bralto.exe"
  File "${BINDIR}\qnrZip.exe"
  File "${BINDIR}\qnrz320.dll"
  File "${BINDIR}\qnruz320.dll"
  File "${BINDIR}\Bralto.chm"
  File "Licence.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The server registers its classes and type libraries for this path, in
  ; the scope of the install.
  !insertmacro REGISTRATION_SCOPE $1
  ExecWait '"$INSTDIR\qnrZip.exe" /regserver $1' $0
  ${If} $0 != 0
    DetailPrint "L'inscription du serveur qnrZip a échoué (code $0)."
    SetErrorLevel 2
  ${EndIf}

  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Bralto.exe" "" "$INSTDIR\Bralto.exe" 0 \
      SW_SHOWNORMAL "" "Archiveur Zip pour Windows"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Bralto.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallMode" "$MultiUser.InstallMode"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S /$MultiUser.InstallMode'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; The .zip association lives under HKCR, which is the user's classes merged
; over the machine's: Bralto wrote it wherever HKCR led, so both are looked at.
!macro REMOVE_ASSOCIATION_FROM ROOT
  ReadRegStr $1 ${ROOT} "Software\Classes\.zip" ""
  ${If} $1 == "${ZIP_CLASS}"
    DeleteRegKey ${ROOT} "Software\Classes\.zip"
  ${EndIf}
  DeleteRegKey ${ROOT} "Software\Classes\${ZIP_CLASS}"
!macroend

Function un.GiveZipBack
  ReadRegStr $0 HKCR ".zip" ""
  !insertmacro REMOVE_ASSOCIATION_FROM HKCU
  !insertmacro REMOVE_ASSOCIATION_FROM HKLM
  ${If} $0 == "${ZIP_CLASS}"
    ; Undo.reg is the .zip key as it was before Bralto took it over. reg.exe
    ; imports it without the elevation regedit.exe asks for on Windows.
    ${If} ${FileExists} "$INSTDIR\Undo.reg"
      nsExec::Exec '"$SYSDIR\reg.exe" import "$INSTDIR\Undo.reg"'
      Pop $2
      ${If} $2 != 0
        DetailPrint "Le retour de .zip à son association précédente a échoué (code $2)."
      ${EndIf}
    ${EndIf}
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.CloseBralto
  ${If} ${FileExists} "$INSTDIR\qnrZip.exe"
    !insertmacro REGISTRATION_SCOPE $1
    ExecWait '"$INSTDIR\qnrZip.exe" /unregserver $1'
  ${EndIf}
  Call un.GiveZipBack
  Call un.WaitForServerEnd

  Delete "$INSTDIR\Bralto.exe"
  Delete "$INSTDIR\qnrz320.dll"
  Delete "$INSTDIR\qnruz320.dll"
  Delete "$INSTDIR\Bralto.chm"
  Delete "$INSTDIR\Licence.txt"
  Delete "$INSTDIR\Undo.reg"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only when empty: a folder the user shared with other files stays.
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"

  MessageBox MB_YESNO|MB_ICONQUESTION "Supprimer aussi vos réglages de ${PRODUCT} (dernières archives, options d'ajout et d'extraction) ?" /SD IDNO IDNO keep
    DeleteRegKey HKCU "${SETTINGS_KEY}"
  keep:
SectionEnd

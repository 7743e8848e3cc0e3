; Korvane's installer, with a Start menu entry and an uninstaller, in one of two ways:
; - for the user alone, under his local programs folder, without administrator rights;
; - for all users, under Program Files, administrator rights asked only then (the program file is
;   then out of reach of the user's other programs, which matters when it runs elevated).
;   makensis -DVERSION=1.0.0 -DSOURCE=<folder with korvane.exe and help.chm> -DOUTFILE=<setup.exe>
; Silent: setup.exe /S for the user, setup.exe /S /TOUS for all users; /DEMARRAGE_WINDOWS=0 (or 1)
; decides whether Korvane starts with Windows, a choice its first start keeps.
; Uninstaller: /S keeps the settings, /S /SUPPRIMER_REGLAGES removes them, the crash reports and
; the user's folder of the program (%LOCALAPPDATA%\Korvane, where a copy he may not write beside
; puts its news file and log).
Unicode true
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "nsDialogs.nsh"
!include "WinMessages.nsh"

!ifndef VERSION
  !error "VERSION is required"
!endif
!ifndef SOURCE
  !error "SOURCE is required"
!endif
!ifndef OUTFILE
  !define OUTFILE "korvane-${VERSION}-setup.exe"
!endif

!define APP "Korvane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvane"
!ifndef SETTINGS_KEY
  !define SETTINGS_KEY "Software\Korvane"  ; the tests give a key of their own
!endif
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RIGHTS_NEEDED "Les droits d'administrateur sont nécessaires pour installer ou désinstaller Korvane pour tous les utilisateurs."
!define RIGHTS_REFUSED "Les droits d'administrateur n'ont pas été accordés."

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
Icon "../res/korvane.ico"
UninstallIcon "../res/korvane.ico"
BrandingText "${APP} ${VERSION}"
; Rights are asked of Windows only when the user chooses the installation for all users.
RequestExecutionLevel user
SetCompressor /SOLID lzma
ShowInstDetails nevershow
ShowUninstDetails nevershow
; The end of the copy moves on to the last page by itself.
AutoCloseWindow true
; The stock caption of the removal runs under the window's buttons.
UninstallSubCaption 1 ": Suppression"

LoadLanguageFile "${NSISDIR}\Contrib\Language files\French.nlf"

Page custom ModePage ModePageLeave
Page directory
Page instfiles
Page custom FinishPage FinishPageLeave
UninstPage uninstConfirm "" "" un.ConfirmLeave
UninstPage instfiles

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1036 "ProductName" "${APP}"
VIAddVersionKey /LANG=1036 "FileDescription" "Installation de ${APP}"
VIAddVersionKey /LANG=1036 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1036 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1036 "LegalCopyright" "${APP}"

;; A running copy is ended as at the end of a Windows session: it saves its settings when asked
;; whether the session may end, then ends when told that it does (closing it would only hide it).
!macro END_RUNNING_COPY un
Function ${un}EndRunningCopy
  FindWindow $0 "TfMainMem" "Korvane"
  StrCmp $0 0 done
    SendMessage $0 ${WM_QUERYENDSESSION} 0 0 /TIMEOUT=5000
    SendMessage $0 ${WM_ENDSESSION} 1 0 /TIMEOUT=2000
    Sleep 500
  done:
FunctionEnd
!macroend
!insertmacro END_RUNNING_COPY ""
!insertmacro END_RUNNING_COPY "un."

;; Whether the process holds administrator rights (an elevated token under UAC).
!macro IS_ADMIN un
Function ${un}IsAdmin
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    Push 1
  ${Else}
    Push 0
  ${EndIf}
FunctionEnd
!macroend
!insertmacro IS_ADMIN ""
!insertmacro IS_ADMIN "un."

;; Starts `file` again with administrator rights and `parameters` (Windows asks the user), then
;; this copy ends. A copy started so that still lacks the rights (/DROITS_DEMANDES) gives up.
!macro ELEVATE un
Function ${un}Elevate
  Exch $1  ; parameters
  Exch
  Exch $2  ; file
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/DROITS_DEMANDES" $3
  ${IfNot} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "${RIGHTS_NEEDED}" /SD IDOK
    Quit
  ${EndIf}
  ClearErrors
  ExecShell "runas" "$2" "$1 /DROITS_DEMANDES"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "${RIGHTS_REFUSED}" /SD IDOK
  ${EndIf}
  Quit
FunctionEnd
!macroend
!insertmacro ELEVATE ""

Var AllUsers    ; 1: for all users under Program Files
Var DefaultDir  ; the folder the mode proposes; one the user typed or gave with /D= stays
Var ModeUser
Var ModeAll
Var StartWithWindows  ; 1: Korvane starts with Windows (the program's own default)
Var StartBox
Var LaunchBox

Function ApplyMode
  ${If} $AllUsers == 1
    SetShellVarContext all
    StrCpy $1 "$PROGRAMFILES\Korvane"
  ${Else}
    SetShellVarContext current
    StrCpy $1 "$LOCALAPPDATA\Programs\Korvane"
  ${EndIf}
  ${If} $INSTDIR == ""
  ${OrIf} $INSTDIR == $DefaultDir
    StrCpy $INSTDIR $1
  ${EndIf}
  StrCpy $DefaultDir $1
FunctionEnd

Function .onInit
  StrCpy $AllUsers 0
  ${GetParameters} $R0
  ; A user who installs again finds the choice he made; the command line has the last word.
  StrCpy $StartWithWindows 1
  ClearErrors
  ReadRegDWORD $0 HKCU "${SETTINGS_KEY}\settings" "StartWithWindows"
  ${IfNot} ${Errors}
  ${AndIf} $0 == 0
    StrCpy $StartWithWindows 0
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/DEMARRAGE_WINDOWS=" $R1
  ${IfNot} ${Errors}
    ${If} $R1 == 0
      StrCpy $StartWithWindows 0
    ${Else}
      StrCpy $StartWithWindows 1
    ${EndIf}
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/TOUS" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
    Call IsAdmin
    Pop $0
    ${If} $0 == 0
      Push "$EXEPATH"
      Push "$R0"
      Call Elevate
    ${EndIf}
  ${EndIf}
  Call ApplyMode
FunctionEnd

;; Who the installation is for; asked only when the command line did not say.
Function ModePage
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/TOUS" $R1
  ${IfNot} ${Errors}
    Abort
  ${EndIf}
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 12u "Installer Korvane :"
  Pop $0
  ${NSD_CreateRadioButton} 10u 16u 95% 12u "pour moi seulement, dans mon dossier personnel"
  Pop $ModeUser
  ${NSD_CreateRadioButton} 10u 32u 95% 12u "pour tous les utilisateurs, dans Program Files"
  Pop $ModeAll
  ${NSD_CreateLabel} 0 54u 100% 48u "Pour tous les utilisateurs, Windows demande les droits d'administrateur. C'est l'installation à choisir pour démarrer Korvane en tant qu'administrateur : les autres programmes de l'utilisateur ne peuvent pas y remplacer korvane.exe."
  Pop $0
  ${NSD_CreateCheckbox} 0 110u 100% 12u "Démarrer Korvane avec Windows"
  Pop $StartBox
  ${If} $StartWithWindows == 1
    ${NSD_Check} $StartBox
  ${EndIf}
  ${If} $AllUsers == 1
    ${NSD_Check} $ModeAll
  ${Else}
    ${NSD_Check} $ModeUser
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function ModePageLeave
  ${NSD_GetState} $StartBox $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $StartWithWindows 1
  ${Else}
    StrCpy $StartWithWindows 0
  ${EndIf}
  ${NSD_GetState} $ModeAll $AllUsers
  ${If} $AllUsers == ${BST_CHECKED}
    StrCpy $AllUsers 1
    Call IsAdmin
    Pop $0
    ${If} $0 == 0
      ; The copy with the rights starts over from the folder page.
      Push "$EXEPATH"
      Push "/TOUS /DEMARRAGE_WINDOWS=$StartWithWindows"
      Call Elevate
    ${EndIf}
  ${Else}
    StrCpy $AllUsers 0
  ${EndIf}
  Call ApplyMode
FunctionEnd

Section "Korvane"
  ; One short status line: the stock one names each file with its whole path, cut by the window.
  SetDetailsPrint textonly
  DetailPrint "Installation de Korvane..."
  SetDetailsPrint none
  SetOutPath "$INSTDIR"
  ; A running copy keeps its file open: it ends first.
  Call EndRunningCopy
  File "${SOURCE}\korvane.exe"
  File "${SOURCE}\help.chm"
  WriteUninstaller "$INSTDIR\desinstaller.exe"
  CreateDirectory "$SMPROGRAMS\Korvane"
  CreateShortCut "$SMPROGRAMS\Korvane\Korvane.lnk" "$INSTDIR\korvane.exe"
  CreateShortCut "$SMPROGRAMS\Korvane\Désinstaller Korvane.lnk" "$INSTDIR\desinstaller.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${APP}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\korvane.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\desinstaller.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\desinstaller.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ; The user's choice, read by the program's first start (and every later one) as its own option.
  ; Written after the running copy ended: that one saves its options as it goes.
  WriteRegDWORD HKCU "${SETTINGS_KEY}\settings" "StartWithWindows" $StartWithWindows
  ${If} $StartWithWindows == 0
    ReadRegStr $0 HKCU "${RUN_KEY}" "Korvane"
    ${If} $0 == '"$INSTDIR\korvane.exe"'
      DeleteRegValue HKCU "${RUN_KEY}" "Korvane"
    ${EndIf}
  ${EndIf}
SectionEnd

Function FinishPage
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 24u "Korvane ${VERSION} est installé."
  Pop $0
  ${NSD_CreateCheckbox} 0 30u 100% 12u "Lancer Korvane"
  Pop $LaunchBox
  ${NSD_Check} $LaunchBox
  nsDialogs::Show
FunctionEnd

Function FinishPageLeave
  ${NSD_GetState} $LaunchBox $0
  ${If} $0 == ${BST_CHECKED}
    Exec '"$INSTDIR\korvane.exe"'
  ${EndIf}
FunctionEnd

;; An installation for all users is the one the machine's uninstall entry names. Its removal has
;; two parts: the machine's (the folder under Program Files, the shared menu, the uninstall entry)
;; needs administrator rights, the user's (his Run entry, settings, crash reports and folder of the
;; program) belongs to whoever started the removal. A standard user gets the rights through an
;; administrator's account, whose profile is not his: his copy removes his part itself and leaves
;; the machine's to an elevated copy (/DROITS_DEMANDES), which touches no profile.
Var RemoveSettings  ; 1: the settings and crash reports go too
Var ElevatedCopy    ; 1: this copy removes the machine's part in another, elevated one
Var ForTheUser      ; 0: this is that elevated copy, which leaves the profile alone
Function un.onInit
  StrCpy $RemoveSettings 0
  StrCpy $ElevatedCopy 0
  StrCpy $ForTheUser 1
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/SUPPRIMER_REGLAGES" $R1
  ${IfNot} ${Errors}
    StrCpy $RemoveSettings 1
  ${EndIf}
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    SetShellVarContext all
    Call un.IsAdmin
    Pop $0
!ifdef UNINSTALL_AS_STANDARD_USER  ; the tests' standard user: under Wine every copy is an admin
    StrCpy $0 0
!endif
    ClearErrors
    ${GetOptions} $R0 "/DROITS_DEMANDES" $R1
    ${If} ${Errors}
      ${If} $0 == 0
        StrCpy $ElevatedCopy 1
      ${EndIf}
    ${ElseIf} $0 == 0
      MessageBox MB_OK|MB_ICONSTOP "${RIGHTS_NEEDED}" /SD IDOK
      Quit
    ${Else}
      StrCpy $ForTheUser 0
    ${EndIf}
  ${Else}
    SetShellVarContext current
  ${EndIf}
FunctionEnd

;; The settings stay unless the user asks, before anything goes: asked once he confirmed (keeping
;; them is the default answer), or /SUPPRIMER_REGLAGES.
Function un.ConfirmLeave
  ${If} $RemoveSettings == 0
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Supprimer aussi les réglages de Korvane ?" IDNO +2
    StrCpy $RemoveSettings 1
  ${EndIf}
FunctionEnd

Section "Uninstall"
  SetDetailsPrint textonly
  DetailPrint "Suppression de Korvane..."
  SetDetailsPrint none
  ; The user's running copy saves its settings as it ends: before they may be removed.
  Call un.EndRunningCopy
  ${If} $ElevatedCopy == 1
    ; Nothing of the user's goes unless the machine's part can go too.
    ClearErrors
    ExecShell "runas" "$INSTDIR\desinstaller.exe" "/S /DROITS_DEMANDES"
    ${If} ${Errors}
      MessageBox MB_OK|MB_ICONSTOP "${RIGHTS_REFUSED}" /SD IDOK
      Quit
    ${EndIf}
    Goto forTheUser
  ${EndIf}
  Delete "$INSTDIR\korvane.exe"
  Delete "$INSTDIR\help.chm"
  ; What the program writes beside itself: the news file, its unfinished downloads, the log.
  Delete "$INSTDIR\NetDirect.inf"
  Delete "$INSTDIR\NetDirect.inf.*.tmp"
  Delete "$INSTDIR\korvane.log"
  Delete "$INSTDIR\desinstaller.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Korvane\Korvane.lnk"
  Delete "$SMPROGRAMS\Korvane\Désinstaller Korvane.lnk"
  RMDir "$SMPROGRAMS\Korvane"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  forTheUser:
  ${If} $ForTheUser == 0
    Return
  ${EndIf}
  ; The Run entry, the settings and the user's folder of the program are his own.
  SetShellVarContext current
  ; Started with Windows from this folder: the entry would point at a file that is gone. One that
  ; starts another copy (a portable one) stays.
  ReadRegStr $0 HKCU "${RUN_KEY}" "Korvane"
  ${If} $0 == '"$INSTDIR\korvane.exe"'
  ${OrIf} $0 == "$INSTDIR\korvane.exe"
    DeleteRegValue HKCU "${RUN_KEY}" "Korvane"
  ${EndIf}
  ; What the program wrote there when its own folder refused a file.
  Delete "$LOCALAPPDATA\Korvane\NetDirect.inf"
  Delete "$LOCALAPPDATA\Korvane\NetDirect.inf.*.tmp"
  Delete "$LOCALAPPDATA\Korvane\korvane.log"
  ${If} $RemoveSettings == 1
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    Delete "$LOCALAPPDATA\Korvane\korvane-*.dmp"
    Delete "$LOCALAPPDATA\Korvane\korvane-*.txt"
  ${EndIf}
  ; The folder goes once empty: crash reports kept keep it.
  RMDir "$LOCALAPPDATA\Korvane"
SectionEnd

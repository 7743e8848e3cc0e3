; Korvane's installer: a per-user install under the user's local programs folder, without
; administrator rights, with a Start menu entry and an uninstaller.
;   makensis -DVERSION=1.0.0 -DSOURCE=<folder with korvane.exe and help.chm> -DOUTFILE=<setup.exe>
; Silent: setup.exe /S.  Uninstaller: /S keeps the settings, /S /SUPPRIMER_REGLAGES removes them.
Unicode true
!include "FileFunc.nsh"
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

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Korvane"
SetCompressor /SOLID lzma
ShowInstDetails nevershow
ShowUninstDetails nevershow

LoadLanguageFile "${NSISDIR}\Contrib\Language files\French.nlf"

Page directory
Page instfiles
UninstPage uninstConfirm
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

Function .onInit
  SetShellVarContext current
FunctionEnd

Section "Korvane"
  SetOutPath "$INSTDIR"
  ; A running copy keeps its file open: it ends first.
  Call EndRunningCopy
  File "${SOURCE}\korvane.exe"
  File "${SOURCE}\help.chm"
  WriteUninstaller "$INSTDIR\desinstaller.exe"
  CreateDirectory "$SMPROGRAMS\Korvane"
  CreateShortCut "$SMPROGRAMS\Korvane\Korvane.lnk" "$INSTDIR\korvane.exe"
  CreateShortCut "$SMPROGRAMS\Korvane\Désinstaller Korvane.lnk" "$INSTDIR\desinstaller.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${APP}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\korvane.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\desinstaller.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\desinstaller.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Uninstall"
  Call un.EndRunningCopy
  Delete "$INSTDIR\korvane.exe"
  Delete "$INSTDIR\help.chm"
  Delete "$INSTDIR\korvane.log"
  Delete "$INSTDIR\desinstaller.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Korvane\Korvane.lnk"
  Delete "$SMPROGRAMS\Korvane\Désinstaller Korvane.lnk"
  RMDir "$SMPROGRAMS\Korvane"
  ; Started with Windows: the entry would point at a file that is gone.
  DeleteRegValue HKCU "${RUN_KEY}" "Korvane"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; The settings stay unless the user asks: asked in a window, or /SUPPRIMER_REGLAGES when silent.
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/SUPPRIMER_REGLAGES" $R1
  IfErrors 0 remove_settings
  IfSilent keep_settings
  MessageBox MB_YESNO|MB_ICONQUESTION "Supprimer aussi les réglages de Korvane ?" IDNO keep_settings
  remove_settings:
    DeleteRegKey HKCU "${SETTINGS_KEY}"
  keep_settings:
SectionEnd

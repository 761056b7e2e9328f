; The Windows installer: kelvory.exe for the current user alone, with no
; administrator rights, a Start-menu shortcut, an entry in "Apps & features"
; and, when chosen, a start with Windows. The catches (KVY.ini beside the
; program) stay when it is removed.
;
; makensis -INPUTCHARSET UTF8 -DVERSION=1.1.0 -DEXE=kelvory.exe
;          -DICON=kelvory.ico -DOUTFILE=kelvory-1.1.0-setup.exe kelvory.nsi
; A silent install (/S) leaves the start with Windows off unless /AUTOSTART
; is given too.

; kelvory.exe is a 64-bit program, and so is its installer.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kelvory"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "Kelvory"
OutFile "${OUTFILE}"
; Where per-user programs go, which the user may write to: the catches are
; kept beside the program.
InstallDir "$LOCALAPPDATA\Programs\Kelvory"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Kelvory ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "Kelvory"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "Kelvory ${VERSION} setup"
VIAddVersionKey /LANG=0 "LegalCopyright" "The Kelvory developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\kelvory.exe"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

LangString ProgramSection ${LANG_ENGLISH} "Kelvory"
LangString ProgramSection ${LANG_JAPANESE} "Kelvory"
LangString AutostartSection ${LANG_ENGLISH} "Start with Windows"
LangString AutostartSection ${LANG_JAPANESE} "Windows の起動時に開始"

Section "$(ProgramSection)" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "/oname=kelvory.exe" "${EXE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Kelvory.lnk" "$INSTDIR\kelvory.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Kelvory"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Kelvory developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$\"$INSTDIR\kelvory.exe$\",0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\uninstall.exe$\""
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\uninstall.exe$\" /S"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "$(AutostartSection)" SecAutostart
  WriteRegStr HKCU "${RUN_KEY}" "Kelvory" "$\"$INSTDIR\kelvory.exe$\""
SectionEnd

; Installing again without the option takes the start with Windows away.
Section "-Autostart off"
  ${IfNot} ${SectionIsSelected} ${SecAutostart}
    DeleteRegValue HKCU "${RUN_KEY}" "Kelvory"
  ${EndIf}
SectionEnd

Function .onInit
  SetShellVarContext current
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AUTOSTART" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecAutostart}
  ${EndIf}
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

; Everything the installer made, but not the catches: KVY.ini keeps the
; folder when it is there.
Section "Uninstall"
  Delete "$INSTDIR\kelvory.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Kelvory.lnk"
  DeleteRegValue HKCU "${RUN_KEY}" "Kelvory"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

; The installer for one machine, built by tools/package:
;   makensis -WX -DVERSION=1.2.3 -DPROGRAM=zovi.scr -DENGINE=zovi_effects_engine.dll -DICON=zovi.ico
;            -DOUTFILE=setup.exe [-DSIGN=cmd]
; It puts the 32-bit saver where the desktop looks for savers of that bitness (SysWOW64 on 64-bit
; Windows, System32 on 32-bit Windows), an uninstaller beside the other programs, and one entry in
; Add/Remove Programs. /S installs silently; /ACTIVATE also makes it the installing user's screen
; saver (the finish page offers the same). The open room engine is an optional part, off unless
; chosen on the components page or with /ROOMENGINE: it is installed and registered only where no
; ambient-effects engine is registered already, and the uninstaller unregisters it only while the
; registration is still the one it made.
Unicode true
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!define PRODUCT "Zovi Logo Screensaver"
!define PUBLISHER "Zovi"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZoviLogoScreensaver"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATEINIFILE_SENDCHANGE 3
; The effects class, in the 32-bit registry view the 32-bit saver reads.
!define ENGINE_CLASS "Software\Classes\CLSID\{8C779023-BD0E-43A0-A876-C4A54E0A7D5C}"
!define ENGINE_FILE "zovi_effects_engine.dll"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 ProductName "${PRODUCT}"
VIAddVersionKey /LANG=1033 ProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 FileDescription "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=1033 LegalCopyright "${PUBLISHER}"

; The uninstaller is written inside makensis, so only here can it be signed.
!ifdef SIGN
  !uninstfinalize '"${SIGN}" "%1" uninstall.exe' = 0
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh
!include Sections.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_SHOWREADME
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Use it as my screen saver"
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION Activate
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE English

Var SaverDir

; Where a 32-bit saver belongs. File-system redirection is switched off around every file operation
; on 64-bit Windows, so the path written to the registry is the path the file was written to.
!macro SaverFolder
  ${If} ${RunningX64}
    StrCpy $SaverDir "$WINDIR\SysWOW64"
    SetRegView 64
  ${Else}
    StrCpy $SaverDir "$SYSDIR"
  ${EndIf}
!macroend
!macro RedirectionOff
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
  ${EndIf}
!macroend
!macro RedirectionOn
  ${If} ${RunningX64}
    ${EnableX64FSRedirection}
  ${EndIf}
!macroend

Section "Zovi Logo Screensaver" SecSaver
  SectionIn RO
  SetShellVarContext all
  !insertmacro RedirectionOff
  SetOutPath "$SaverDir"
  File "/oname=zovi.scr" "${PROGRAM}"
  !insertmacro RedirectionOn
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; One fixed key: a newer version writes over the entry of an older one.
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayName "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" Publisher "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayIcon "$SaverDir\zovi.scr,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoModify 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoRepair 1
  SectionGetSize 0 $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" EstimatedSize $0

  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/ACTIVATE" $1
  ${IfNot} ${Errors}
    Call Activate
  ${EndIf}
SectionEnd

; Never in place of an engine someone else registered: only where there is none, or where the one
; registered is this engine (an older version of it).
Section /o "Open room engine (room lights over E1.31 and Art-Net)" SecEngine
  SetRegView 32
  ReadRegStr $0 HKLM "${ENGINE_CLASS}\InprocServer32" ""
  ${GetFileName} $0 $1
  ${If} $0 != ""
  ${AndIf} $1 != "${ENGINE_FILE}"
    DetailPrint "An ambient-effects engine is registered already ($0): the open room engine is left out."
  ${Else}
    SetOutPath "$INSTDIR"
    File "/oname=${ENGINE_FILE}" "${ENGINE}"
    RegDLL "$INSTDIR\${ENGINE_FILE}"
  ${EndIf}
  !insertmacro SaverFolder
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecSaver} "The screen saver."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecEngine} "Lets the saver drive LED strips and DMX lights over E1.31 or Art-Net (see Zovi Room.txt), where no ambient-effects engine is installed."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  !insertmacro SaverFolder
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/ROOMENGINE" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecEngine}
  ${EndIf}
FunctionEnd

; The installing user's screen saver: the desktop's value, the active flag, and the system told.
Function Activate
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SaverDir\zovi.scr"
  WriteRegStr HKCU "${DESKTOP_KEY}" ScreenSaveActive "1"
  System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_UPDATEINIFILE_SENDCHANGE})'
FunctionEnd

Function un.onInit
  !insertmacro SaverFolder
FunctionEnd

; The user's settings file is theirs and stays. The current-saver value goes only when it names us.
Section Uninstall
  SetShellVarContext all
  !insertmacro RedirectionOff
  Delete "$SaverDir\zovi.scr"
  !insertmacro RedirectionOn
  SetRegView 32
  ReadRegStr $0 HKLM "${ENGINE_CLASS}\InprocServer32" ""
  ${If} $0 == "$INSTDIR\${ENGINE_FILE}"
    UnRegDLL "$INSTDIR\${ENGINE_FILE}"
  ${EndIf}
  !insertmacro SaverFolder
  Delete "$INSTDIR\${ENGINE_FILE}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${GetFileName} $0 $1
  ${If} $1 == "zovi.scr"
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${EndIf}
SectionEnd

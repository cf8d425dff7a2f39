; The installer for one machine, built by tools/package:
;   makensis -WX -DVERSION=1.2.3 -DPROGRAM=zovi.scr -DENGINE=zovi_effects_engine.dll -DICON=zovi.ico
;            -DOUTFILE=setup.exe [-DSIGN=cmd]
; It puts the 32-bit saver where the desktop looks for savers of that bitness (SysWOW64 on 64-bit
; Windows, System32 on 32-bit Windows), an uninstaller beside the other programs, and one entry in
; Add/Remove Programs. /S installs silently. A setup older than the zovi.scr in the system folder,
; whoever put it there, refuses to replace it (exit code 3, and a message where it is shown). It
; writes nothing for any user: run with another account's rights, as a standard user's setup is,
; it could only reach that account's settings, so the finish page sends the user to the Screen Saver
; settings instead. The open room engine is an optional part, off unless chosen on the components
; page or with /ROOMENGINE: it is installed and registered only where no ambient-effects engine is
; registered already, a failed registration fails the setup (exit code 4), and the uninstaller
; unregisters it only while the registration is still the one it made. The uninstaller removes
; zovi.scr only while it is the very file this setup put there and no Windows Installer package of
; the saver holds it.
Unicode true
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!define PRODUCT "Zovi Logo Screensaver"
!define PUBLISHER "Zovi"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZoviLogoScreensaver"
; The MSI's upgrade code (zovi.wxs): any of its versions installed owns the system folder's zovi.scr.
!define MSI_UPGRADE_CODE "{DF439C5A-4CF6-4989-93E7-E61D91FB9472}"
!define REFUSED_OLDER 3
!define REFUSED_REGISTRATION 4
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
!include WordFunc.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_TEXT "${PRODUCT} is installed.$\r$\n$\r$\nTo use it, choose $\"${PRODUCT}$\" in the Screen Saver settings (right-click the desktop, Personalize, Lock screen, Screen saver settings; on older Windows, Display Properties, Screen Saver). Each user of this computer can choose it there."
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
  ; What the uninstaller checks to know the file is still this setup's.
  GetFileTime "$SaverDir\zovi.scr" $1 $2
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
  WriteRegStr HKLM "${UNINSTALL_KEY}" SaverFileTime "$1 $2"
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
    ClearErrors
    RegDLL "$INSTDIR\${ENGINE_FILE}"
    ${If} ${Errors}
      Delete "$INSTDIR\${ENGINE_FILE}"
      SetErrorLevel ${REFUSED_REGISTRATION}
      MessageBox MB_ICONSTOP "The open room engine could not be registered; it is not installed." /SD IDOK
      Abort "The open room engine could not be registered."
    ${EndIf}
  ${EndIf}
  !insertmacro SaverFolder
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecSaver} "The screen saver."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecEngine} "Lets the saver drive LED strips and DMX lights over E1.31 or Art-Net (see Zovi Room.txt), where no ambient-effects engine is installed."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  !insertmacro SaverFolder
  ; Never an older saver over a newer one, whatever installed it: the MSI, a copy from the zip.
  !insertmacro RedirectionOff
  ClearErrors
  GetDLLVersion "$SaverDir\zovi.scr" $0 $1
  !insertmacro RedirectionOn
  ${IfNot} ${Errors}
    IntOp $2 $0 >> 16
    IntOp $3 $0 & 0xFFFF
    IntOp $4 $1 >> 16
    ${VersionCompare} "$2.$3.$4" "${VERSION}" $5
    ${If} $5 == 1
      MessageBox MB_ICONSTOP "A newer version of ${PRODUCT} ($2.$3.$4) is already installed." /SD IDOK
      SetErrorLevel ${REFUSED_OLDER}
      Abort
    ${EndIf}
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/ROOMENGINE" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecEngine}
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro SaverFolder
FunctionEnd

; Only what this installation put there goes; the users' settings files and choices are theirs.
Section Uninstall
  SetShellVarContext all
  ; zovi.scr is this setup's while it is the file written then and no MSI of the saver is installed.
  ReadRegStr $3 HKLM "${UNINSTALL_KEY}" SaverFileTime
  System::Call 'msi::MsiEnumRelatedProductsW(w "${MSI_UPGRADE_CODE}", i 0, i 0, w .r4) i .r5'
  !insertmacro RedirectionOff
  ClearErrors
  GetFileTime "$SaverDir\zovi.scr" $1 $2
  ${If} ${Errors}
  ${OrIf} "$1 $2" != $3
  ${OrIf} $5 == 0
    DetailPrint "$SaverDir\zovi.scr was put there by another installation: it stays."
  ${Else}
    Delete "$SaverDir\zovi.scr"
  ${EndIf}
  !insertmacro RedirectionOn
  ; The engine is unregistered where the class names this installation's file, however the path is
  ; spelled; the file stays as long as a registration still needs it.
  SetRegView 32
  ReadRegStr $0 HKLM "${ENGINE_CLASS}\InprocServer32" ""
  GetFullPathName /SHORT $1 $0
  GetFullPathName /SHORT $2 "$INSTDIR\${ENGINE_FILE}"
  ${If} $2 != ""
  ${AndIf} $1 == $2
    UnRegDLL "$INSTDIR\${ENGINE_FILE}"
    ReadRegStr $0 HKLM "${ENGINE_CLASS}\InprocServer32" ""
    GetFullPathName /SHORT $1 $0
  ${EndIf}
  !insertmacro SaverFolder
  ${If} $2 != ""
  ${AndIf} $1 == $2
    DetailPrint "The open room engine is still registered: it stays."
  ${Else}
    Delete "$INSTDIR\${ENGINE_FILE}"
  ${EndIf}
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

; Setup for Ovalink. One script for the 32-bit and the 64-bit program:
;   makensis -DARCH=x86|x64 -DSTAGE=<folder> -DOUTFILE=<setup.exe> [-DVERSION=1.5] ovalink.nsi
; STAGE holds Quor.exe, Quor.chm and Manual\, and Quor.sys and More.url when the build has them.
; Uninstaller switch: /REMOVESETTINGS also removes the trained buttons and settings.

!ifndef ARCH | STAGE | OUTFILE
  !error "ARCH, STAGE and OUTFILE must be defined"
!endif
!ifndef VERSION
  !define VERSION 1.5
!endif

Unicode true
!if ${ARCH} == x64
  Target amd64-unicode
  !define PROGRAM_FILES "$PROGRAMFILES64"
!else if ${ARCH} == x86
  Target x86-unicode
  !define PROGRAM_FILES "$PROGRAMFILES"
!else
  !error "ARCH is x86 or x64"
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WordFunc.nsh
!include Sections.nsh

!define PRODUCT "Ovalink"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Ovalink"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SETTINGS_KEY "SOFTWARE\Quor\1.5"
; Held by the running program for its whole life, whatever its window is doing.
!define INSTANCE_MUTEX "Local\5C1D7A92-3E4B-4f06-9A8D-2B7E61C0F3A4"
!define SYNCHRONIZE 0x00100000

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
; Program Files and the driver service both need it.
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "LegalCopyright" "The Ovalink developers"

!define MUI_ICON "${NSISDIR}\Contrib\Graphics\Icons\modern-install.ico"
!define MUI_UNICON "${NSISDIR}\Contrib\Graphics\Icons\modern-uninstall.ico"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!define MUI_COMPONENTSPAGE_TEXT_TOP "Your trained buttons and settings are kept unless you tick them below."
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Sets $R9 to 1 when the program runs: its instance mutex exists, or its main window (a
; dialog titled "Ovalink") does. Replacing or deleting a running Quor.exe would fail half-way.
!macro DEFINE_IS_RUNNING PREFIX
Function ${PREFIX}IsRunning
  Push $0
  StrCpy $R9 0
  System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${INSTANCE_MUTEX}") p .r0'
  ${If} $0 P<> 0
    System::Call 'kernel32::CloseHandle(p r0)'
    StrCpy $R9 1
  ${Else}
    FindWindow $0 "#32770" "${PRODUCT}"
    ${If} $0 P<> 0
      StrCpy $R9 1
    ${EndIf}
  ${EndIf}
  Pop $0
FunctionEnd
!macroend
!insertmacro DEFINE_IS_RUNNING ""
!insertmacro DEFINE_IS_RUNNING "un."

Function .onInit
  Call IsRunning
  ${If} $R9 == 1
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} is running.$\r$\n$\r$\nEnd it first: right-click its icon in the notification area of the taskbar and choose Exit. Then run Setup again." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
FunctionEnd

Section "-Program"
  ; A loaded driver keeps its file: over an installation with one, the old program removes its
  ; driver service first, and the new one is installed at the end.
  ${If} ${FileExists} "$INSTDIR\Quor.sys"
  ${AndIf} ${FileExists} "$INSTDIR\Quor.exe"
    DetailPrint "Removing the port driver of the installed copy"
    ExecWait '"$INSTDIR\Quor.exe" D' $0
    ${If} $0 <> 0
      ; Its Quor.sys may stay loaded and refuse to be replaced; the new driver is installed
      ; at the end all the same.
      DetailPrint "The port driver of the installed copy could not be removed (status $0)"
    ${EndIf}
  ${EndIf}
  SetOutPath "$INSTDIR"
  File "${STAGE}\Quor.exe"
  File "${STAGE}\Quor.chm"
  RMDir /r "$INSTDIR\Manual"
  File /r "${STAGE}\Manual"
!if /FileExists "${STAGE}\Quor.sys"
  File "${STAGE}\Quor.sys"
!endif
!if /FileExists "${STAGE}\More.url"
  File "${STAGE}\More.url"
!else
  ; No web address chosen at build time: "More..." opens the manual in the web browser, which
  ; works where the help viewer refuses a file from the internet.
  StrCpy $0 "$INSTDIR\Manual\index.html"
  ${WordReplace} $0 "%" "%25" "+" $0
  ${WordReplace} $0 " " "%20" "+" $0
  ${WordReplace} $0 "#" "%23" "+" $0
  ${WordReplace} $0 "\" "/" "+" $0
  Delete "$INSTDIR\More.url"
  WriteINIStr "$INSTDIR\More.url" "InternetShortcut" "URL" "file:///$0"
!endif

  WriteUninstaller "$INSTDIR\Uninstall.exe"

  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\Quor.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT} Help.lnk" "$INSTDIR\Quor.chm"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quor.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; The driver service points at Quor.sys in this folder.
  ${If} ${FileExists} "$INSTDIR\Quor.sys"
    DetailPrint "Installing the port driver"
    ExecWait '"$INSTDIR\Quor.exe" I' $0
    ${If} $0 <> 0
      DetailPrint "The port driver could not be installed (status $0)"
      MessageBox MB_OK|MB_ICONEXCLAMATION "The port driver of ${PRODUCT} could not be installed or started.$\r$\n$\r$\n${PRODUCT} is installed, but it cannot reach the infrared port until the driver runs. Restart Windows and run Setup again; if that does not help, see Troubleshooting in the manual." /SD IDOK
      SetErrorLevel 3
    ${EndIf}
  ${EndIf}
SectionEnd

Section "-un.Program"
  ${If} ${FileExists} "$INSTDIR\Quor.exe"
    DetailPrint "Removing the port driver"
    ExecWait '"$INSTDIR\Quor.exe" D' $0
    ${If} $0 <> 0
      DetailPrint "The port driver could not be removed (status $0)"
      MessageBox MB_OK|MB_ICONEXCLAMATION "The port driver of ${PRODUCT} could not be removed.$\r$\n$\r$\nIt stays registered with Windows as the service Quor; an administrator can remove it with the command: sc delete Quor" /SD IDOK
      SetErrorLevel 3
    ${EndIf}
  ${EndIf}
  DeleteRegValue HKCU "${RUN_KEY}" "Quor"

  Delete "$INSTDIR\Quor.exe"
  Delete /REBOOTOK "$INSTDIR\Quor.sys"
  Delete "$INSTDIR\Quor.chm"
  Delete "$INSTDIR\More.url"
  RMDir /r "$INSTDIR\Manual"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT} Help.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.Trained buttons and settings" RemoveSettings
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "SOFTWARE\Quor"
SectionEnd

Function un.onInit
  Call un.IsRunning
  ${If} $R9 == 1
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} is running.$\r$\n$\r$\nEnd it first: right-click its icon in the notification area of the taskbar and choose Exit. Then run the uninstaller again." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${RemoveSettings} ${SF_SELECTED}
  ${EndIf}
FunctionEnd

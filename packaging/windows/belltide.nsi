; Belltide's Windows installer: the program, its pictures, the welcome sound and the help book,
; a Start menu entry and .kbt files opened with Belltide, all for the current user, so that no
; administrator is needed. The installed program keeps its themes in %APPDATA%\Belltide, which
; the uninstaller leaves and names, and its settings under HKCU\Software\Belltide, which it
; removes.
; makensis -DVERSION=1.1 -DBUILD=<the Windows build folder> -DOUTFILE=<installer>
;          -DARCH=<x86|amd64> belltide.nsi
; Of the program's processor: the 32-bit one runs everywhere, the 64-bit one under a 64-bit-only
; Wine too.
Target ${ARCH}-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include MUI2.nsh
!include FileFunc.nsh
!include x64.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Belltide"
!define THEME_CLASS "Belltide.Theme"

Name "Belltide ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Belltide"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
!define MUI_ICON "${BUILD}/artwork/belltide.ico"
!define MUI_UNICON "${BUILD}/artwork/belltide.ico"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "Belltide"
VIAddVersionKey "FileDescription" "Belltide ${VERSION} installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${U+00A9} 2026 The Belltide developers"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; Not run after a silent install, which shows no pages.
!define MUI_FINISHPAGE_RUN "$INSTDIR\Belltide.exe"
!define MUI_FINISHPAGE_RUN_TEXT "&Run Belltide"
!insertmacro MUI_PAGE_FINISH
; The user's themes are not the program's to remove; the uninstaller says where they stay.
!define THEMES_STAY "Your themes stay in %APPDATA%\Belltide$\r$\n(delete that folder if you no longer want them)."
!define MUI_UNCONFIRMPAGE_TEXT_TOP "Belltide will be uninstalled from the following folder.$\r$\n${THEMES_STAY}"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "Belltide has been uninstalled from your computer.$\r$\n$\r$\n${THEMES_STAY}"
!insertmacro MUI_UNPAGE_FINISH
!insertmacro MUI_LANGUAGE "English"

!if ${ARCH} == amd64
Function .onInit
    ${IfNot} ${RunningX64}
        MessageBox MB_ICONSTOP "This Belltide is for 64-bit Windows. Belltide-${VERSION}-setup.exe installs the one for every Windows from 7 on." /SD IDOK
        Abort
    ${EndIf}
FunctionEnd
!endif

Section
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    File "${BUILD}/Belltide.exe"
    File "${BUILD}/Belltide.wav"
    File "${BUILD}/Belltide.htb"
    SetOutPath "$INSTDIR\artwork"
    File "${BUILD}/artwork/*.bmp"
    SetOutPath "$INSTDIR"
    ; Tells the program that this folder is not for its data.
    FileOpen $0 "$INSTDIR\Belltide.installed" w
    FileWrite $0 "Installed by Belltide's installer: the themes are kept in %APPDATA%\Belltide.$\r$\n"
    FileClose $0
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    CreateShortcut "$SMPROGRAMS\Belltide.lnk" "$INSTDIR\Belltide.exe"

    WriteRegStr HKCU "Software\Classes\.kbt" "" "${THEME_CLASS}"
    WriteRegStr HKCU "Software\Classes\${THEME_CLASS}" "" "Belltide theme"
    WriteRegStr HKCU "Software\Classes\${THEME_CLASS}\DefaultIcon" "" "$INSTDIR\Belltide.exe,0"
    WriteRegStr HKCU "Software\Classes\${THEME_CLASS}\shell\open\command" "" \
        '"$INSTDIR\Belltide.exe" "%1"'
    ; SHCNE_ASSOCCHANGED: Explorer shows the new association at once.
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Belltide"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Belltide developers"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Belltide.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ; The size the system's list of programs shows, in KB.
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Uninstall"
    SetShellVarContext current
    Delete "$INSTDIR\Belltide.exe"
    Delete "$INSTDIR\Belltide.wav"
    Delete "$INSTDIR\Belltide.htb"
    Delete "$INSTDIR\Belltide.installed"
    Delete "$INSTDIR\artwork\*.bmp"
    RMDir "$INSTDIR\artwork"
    Delete "$INSTDIR\Uninstall.exe"
    ; Not recursive: themes an earlier version kept beside the program stay, and the folder.
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\Belltide.lnk"

    ; .kbt is given back only while it is still ours.
    ReadRegStr $0 HKCU "Software\Classes\.kbt" ""
    StrCmp $0 "${THEME_CLASS}" 0 +2
        DeleteRegKey HKCU "Software\Classes\.kbt"
    DeleteRegKey HKCU "Software\Classes\${THEME_CLASS}"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ; The window's place and the last folders; the themes stay.
    DeleteRegKey HKCU "Software\Belltide"
SectionEnd

; The installer of the Windows edition, built by makensis from the build (CMakeLists.txt here
; passes the paths and the version): installs for the current user alone, without administrator
; rights, into %LOCALAPPDATA%\Programs\Kalvor, adds a Start-menu entry and an uninstaller that
; Windows lists under "Apps". The uninstaller removes the program, its copy of our audio library
; and the entry; the user's settings and sounds (data.ini and music\ in %APPDATA%) stay.
;   makensis -DVERSION=1.0.0 -DPROGRAM_DIR=... -DOUTFILE=... -DICON=... kalvor.nsi
; A 64-bit installer for a 64-bit program (it also runs where only 64-bit Windows programs do).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define PRODUCT "Kalvor音效助手"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kalvor"
!define SETTINGS_KEY "Software\Kalvor"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Kalvor"
InstallDirRegKey HKCU "${SETTINGS_KEY}" "InstallDir"
Icon "${ICON}"
UninstallIcon "${ICON}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "The Kalvor developers"

!include "MUI2.nsh"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\kalvor.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

Section "Kalvor"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${PROGRAM_DIR}\kalvor.exe"
  File "${PROGRAM_DIR}\readme.txt"
  SetOutPath "$INSTDIR\help"
  File "${PROGRAM_DIR}\help\*.html"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\kalvor.exe" "" "$INSTDIR\kalvor.exe" 0

  WriteRegStr HKCU "${SETTINGS_KEY}" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kalvor.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Kalvor"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Delete "$INSTDIR\kalvor.exe"
  Delete "$INSTDIR\readme.txt"
  Delete "$INSTDIR\help\*.html"
  RMDir "$INSTDIR\help"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"
  ; The copy of our audio library that every start writes; the settings and sounds in
  ; %APPDATA% are the user's and stay.
  Delete "$LOCALAPPDATA\Kalvor\lib\bass.dll"
  RMDir "$LOCALAPPDATA\Kalvor\lib"
  RMDir "$LOCALAPPDATA\Kalvor"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${SETTINGS_KEY}"
SectionEnd

; The Windows installer: tonvale.exe, termin.dll, sheetwire.dll and the DLLs
; they need into Program Files, a Start-menu shortcut, and an uninstaller
; registered in "Apps & features". Silent with /S, for administrators.
;
; makensis -DVERSION=1.01 -DFILES=<directory of the files> -DOUTFILE=<setup.exe> tonvale.nsi
; (FILES must hold tonvale.exe and every DLL to install, nothing else.)

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"

!define PRODUCT "Tonvale"
!define TITLE "SX-4810k用アクセサリーソフトウェア"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${TITLE}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1041 "ProductName" "${TITLE}"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "FileDescription" "${TITLE} セットアップ"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

Function .onInit
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetShellVarContext all
FunctionEnd

Section "Tonvale"
  SetOutPath "$INSTDIR"
  File "${FILES}\tonvale.exe"
  File "${FILES}\*.dll"
  ; colord's spectral tables, for the colour view.
  SetOutPath "$INSTDIR\colord"
  File /r "${FILES}\colord\*"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\${TITLE}.lnk" "$INSTDIR\tonvale.exe" "" "$INSTDIR\tonvale.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${TITLE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tonvale.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\${TITLE}.lnk"
  Delete "$INSTDIR\tonvale.exe"
  Delete "$INSTDIR\*.dll"
  RMDir /r "$INSTDIR\colord"
  ; Settings saved beside the program (by an administrator, who may write
  ; here) go with it; every user's own settings stay in their profile.
  Delete "$INSTDIR\Tonvale.INI"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

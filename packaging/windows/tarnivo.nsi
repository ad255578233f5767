; The Windows setup: installs Tarnivo for the current user, without
; administrator rights, into %LOCALAPPDATA%\Programs\Tarnivo; adds the
; "Tarnivo..." command to the right-click menu of every file, a Tarnivo
; shortcut in Send To and an entry in the list of installed programs. Its
; uninstaller removes exactly those and no folder or key that is not empty.
; Installing over an earlier install replaces it in place. /S runs either
; without a window.
;
; CMake passes (makensis -D...):
;   ARCH          win32 or win64 (win64 makes a 64-bit setup)
;   VERSION       1.0.0.22, the version record's numbers
;   VERSION_TEXT  1.00.0022, the version as users see it
;   EXE HELP ICON the program, its help text and its icon
;   OUTFILE       the setup to write

!if "${ARCH}" == "win64"
  Target amd64-unicode
!else
  Unicode true
!endif
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel user

!include LogicLib.nsh

!define PRODUCT "Tarnivo"
!define PUBLISHER "Tarnivo developers"
!define DESCRIPTION "Copy files from the explorer to any folder"
!define VERB_KEY "Software\Classes\*\shell\Tarnivo"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarnivo"
!define UNINSTALLER "uninstall.exe"

Name "${PRODUCT} ${VERSION_TEXT}"
BrandingText "${PRODUCT} ${VERSION_TEXT}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An earlier install is replaced where it is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION_TEXT}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION_TEXT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Tarnivo"
  SetOutPath "$INSTDIR"
  File "/oname=tarnivo.exe" "${EXE}"
  File "/oname=tarnivo-help.txt" "${HELP}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  WriteRegStr HKCU "${VERB_KEY}" "" "Tarnivo..."
  WriteRegStr HKCU "${VERB_KEY}" "Icon" '"$INSTDIR\tarnivo.exe",0'
  WriteRegStr HKCU "${VERB_KEY}\command" "" '"$INSTDIR\tarnivo.exe" "%1"'

  CreateShortCut "$SENDTO\${PRODUCT}.lnk" "$INSTDIR\tarnivo.exe" "" "$INSTDIR\tarnivo.exe" 0 \
      SW_SHOWNORMAL "" "${DESCRIPTION}"

  SectionGetSize 0 $0
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION_TEXT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tarnivo.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Deletes HKCU\KEY when it holds no subkey, no named value and no default
; value: a parent key the setup may have made must not stay behind empty.
!macro DeleteKeyIfEmpty KEY
  EnumRegKey $1 HKCU "${KEY}" 0
  EnumRegValue $2 HKCU "${KEY}" 0
  ClearErrors
  ReadRegStr $3 HKCU "${KEY}" ""
  ${If} "$1$2" == ""
  ${AndIf} ${Errors}
    DeleteRegKey HKCU "${KEY}"
  ${EndIf}
!macroend

Section "Uninstall"
  Delete "$INSTDIR\tarnivo.exe"
  Delete "$INSTDIR\tarnivo-help.txt"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Only when empty: a folder never loses what someone else put there.
  RMDir "$INSTDIR"
  RMDir "$LOCALAPPDATA\Programs"

  Delete "$SENDTO\${PRODUCT}.lnk"

  DeleteRegKey HKCU "${VERB_KEY}"
  !insertmacro DeleteKeyIfEmpty "Software\Classes\*\shell"
  !insertmacro DeleteKeyIfEmpty "Software\Classes\*"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  !insertmacro DeleteKeyIfEmpty "Software\Microsoft\Windows\CurrentVersion\Uninstall"
SectionEnd

; The Windows installer: Tivrel for all users under Program Files, a Start Menu entry, an
; entry in "Apps & features", and an uninstaller that also takes away the start-up links
; Tivrel placed.
;
;   makensis -DVERSION=0.1.0 -DSTAGE=<folder with tivrel.exe and its DLLs>
;            -DSTAGE_REMOVE=<uninstall-files.nsh> -DOUTFILE=<setup.exe>
;            [-DICON=<tivrel.ico>] tivrel.nsi
;
; STAGE_REMOVE lists a Delete for each staged file and an RMDir for each staged folder, so
; that the uninstaller removes what was installed and nothing else of a folder the user chose.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!include "LogicLib.nsh"
!include "x64.nsh"

!ifndef VERSION
  !error "VERSION is not defined"
!endif
!ifndef STAGE
  !error "STAGE is not defined"
!endif
!ifndef STAGE_REMOVE
  !error "STAGE_REMOVE is not defined"
!endif
!ifndef OUTFILE
  !define OUTFILE "tivrel-${VERSION}-setup.exe"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tivrel"
; The link the program places for all users, at the path it uses itself (on current Windows
; the compatibility links lead it to the common Startup folder).
!define LEGACY_STARTUP "C:\Documents and Settings\All Users\Start Menu\Programs\Startup"

Name "Tivrel ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Tivrel"
RequestExecutionLevel admin
!ifdef ICON
  ; The program's own icon on the setup and the uninstaller.
  Icon "${ICON}"
  UninstallIcon "${ICON}"
!endif
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Tivrel"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Tivrel setup"
VIAddVersionKey "LegalCopyright" "Tivrel"

Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

LicenseData "${STAGE}\EULA.txt"

Function .onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Section "Tivrel"
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateShortcut "$SMPROGRAMS\Tivrel.lnk" "$INSTDIR\tivrel.exe" "" "$INSTDIR\tivrel.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tivrel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Tivrel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tivrel.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  ; The start-up links Tivrel placed: for all users, and the one of the user who uninstalls.
  ; Other users' own links stay in their profiles; the program names them if asked.
  Delete "${LEGACY_STARTUP}\Tivrel.lnk"
  Delete "$SMSTARTUP\Tivrel.lnk"
  SetShellVarContext current
  Delete "$SMSTARTUP\Tivrel.lnk"
  SetShellVarContext all

  Delete "$SMPROGRAMS\Tivrel.lnk"
  ; Files a running copy still holds go at the next restart.
  !include "${STAGE_REMOVE}"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir /REBOOTOK "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

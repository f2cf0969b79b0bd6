; Per-machine installer of Orvane. scripts/package passes:
;   PRODUCT  display name (ProductName of the version resource)
;   VERSION  four-part version (1.0.0.1)
;   SOURCE   folder holding Orvane.exe, orvanectl.exe (the command-line
;            tool), Telvix.dll, README.txt, camera-sim\ and, with DOCK,
;            OrvaneDock.exe
;   DOCK     defined when the dock window ships
;   SIGNER   defined to sign the uninstaller: a command taking the file and
;            a description
;   OUTFILE  the installer to write
;   ARCH     win32 (the product) or win64 (the same program for 64-bit
;            Windows, used where only 64-bit Windows programs can run)
; Silent mode is the standard /S, for the installer and the uninstaller.

Unicode true
!if "${ARCH}" == "win64"
  Target amd64-unicode
  !define PROGRAMS "$PROGRAMFILES64"
!else
  Target x86-unicode
  !define PROGRAMS "$PROGRAMFILES"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; The simulated camera writes these beside itself when it is run from here.
!define SIM_STATE "nvusb-sim-state.txt"
!define SIM_LOG "nvusb-sim-log.txt"
!define DOCK_SHORTCUT "${PRODUCT} Dock"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAMS}\${PRODUCT}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails nevershow
ShowUninstDetails nevershow
AllowRootDirInstall false

!ifdef SIGNER
  ; The uninstaller is made here and only written out at install time:
  ; sign it before it is packed.
  !uninstfinalize '"${SIGNER}" "%1" "${PRODUCT} ${VERSION} uninstaller"' = 0
!endif

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section
  SetShellVarContext all
!if "${ARCH}" == "win64"
  SetRegView 64
!endif
  SetOutPath "$INSTDIR"
  File "${SOURCE}\Orvane.exe"
  File "${SOURCE}\Telvix.dll"
  File "${SOURCE}\README.txt"
  File "${SOURCE}\orvanectl.exe"
!ifdef DOCK
  File "${SOURCE}\OrvaneDock.exe"
!endif
  ; Never beside the program: a real camera's library goes there.
  SetOutPath "$INSTDIR\camera-sim"
  File "${SOURCE}\camera-sim\NvUSB.dll"
  SetOutPath "$INSTDIR"

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Orvane.exe" "" "$INSTDIR\Orvane.exe" 0
!ifdef DOCK
  CreateShortcut "$SMPROGRAMS\${DOCK_SHORTCUT}.lnk" "$INSTDIR\OrvaneDock.exe" "" "$INSTDIR\OrvaneDock.exe" 0
!endif

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Orvane.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section Uninstall
  SetShellVarContext all
!if "${ARCH}" == "win64"
  SetRegView 64
!endif
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${DOCK_SHORTCUT}.lnk"
  Delete "$INSTDIR\camera-sim\NvUSB.dll"
  Delete "$INSTDIR\camera-sim\${SIM_STATE}"
  Delete "$INSTDIR\camera-sim\${SIM_LOG}"
  RMDir "$INSTDIR\camera-sim"
  Delete "$INSTDIR\Orvane.exe"
  Delete "$INSTDIR\Telvix.dll"
  Delete "$INSTDIR\orvanectl.exe"
  Delete "$INSTDIR\OrvaneDock.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\Uninstall.exe"
  ; Not /r: whatever the operator added (a vendor NvUSB.dll) stays, and so
  ; does the folder holding it.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

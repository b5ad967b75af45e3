; The Windows installer: the file-manager modules and the 64-bit Explorer
; thumbnail handler in one folder under Program Files, the 32-bit handler
; (the same name, brisleaf-shell.dll) in its x86 folder.
;   makensis -DVERSION=... -DWIN32_DIR=... -DWIN64_DIR=... -DOUTFILE=... brisleaf.nsi
; WIN32_DIR holds brisleaf.dll and brisleaf-shell.dll (i686), WIN64_DIR
; brisleaf64.dll and brisleaf-shell.dll (x86_64).
Unicode true
; A 64-bit installer: it runs where the 64-bit handler is wanted, and under a
; wine64 that runs no 32-bit programs.
Target amd64-unicode
SetCompressor /SOLID lzma

!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\brisleaf"

Name "brisleaf ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\brisleaf"
RequestExecutionLevel admin
ShowInstDetails nevershow
ShowUninstDetails nevershow

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Each handler registers itself (DllRegisterServer) in the registry view of
; its own width: the 64-bit one through the 64-bit regsvr32, the 32-bit one
; through the 32-bit regsvr32 of SysWOW64, which a system without 32-bit
; support does not have; the 64-bit handler serves Explorer all the same.
!macro RegisterHandlers Flag
  ExecWait '"$SYSDIR\regsvr32.exe" /s ${Flag} "$INSTDIR\brisleaf-shell.dll"'
  ${If} ${FileExists} "$WINDIR\SysWOW64\regsvr32.exe"
    ExecWait '"$WINDIR\SysWOW64\regsvr32.exe" /s ${Flag} "$INSTDIR\x86\brisleaf-shell.dll"'
  ${EndIf}
!macroend

Section "brisleaf"
  SetOutPath "$INSTDIR"
  File "${WIN32_DIR}/brisleaf.dll"
  File "${WIN64_DIR}/brisleaf64.dll"
  File "${WIN64_DIR}/brisleaf-shell.dll"
  SetOutPath "$INSTDIR\x86"
  File "${WIN32_DIR}/brisleaf-shell.dll"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  !insertmacro RegisterHandlers ""

  SetRegView 64
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "brisleaf e-book covers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "brisleaf"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  !insertmacro RegisterHandlers "/u"
  SetRegView 64
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\brisleaf.dll"
  Delete "$INSTDIR\brisleaf64.dll"
  Delete "$INSTDIR\brisleaf-shell.dll"
  Delete "$INSTDIR\x86\brisleaf-shell.dll"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: settings files a user put beside the modules stay.
  RMDir "$INSTDIR\x86"
  RMDir "$INSTDIR"
SectionEnd

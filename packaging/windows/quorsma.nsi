; The Windows installer of QuorSMA, made by makensis from the staged files
; (packaging/windows/stage.cmake).  Defines: VERSION, STAGE (the staged
; folder), OUTFILE.
;
; A per-user installation: no administrator rights, the files under
; %LOCALAPPDATA%\Programs\QuorSMA by default, the folder added to the user's
; PATH, the uninstaller registered for the user.  The configuration is written
; here, naming the data directories of the installation, so no build path and
; no fixed drive is anywhere in it.
; The installer itself is a 64-bit program (Debian's nsis has the amd64
; stubs), like everything it installs.
Target amd64-unicode
SetCompressor /SOLID lzma
!include LogicLib.nsh
!include WinMessages.nsh
!include StrFunc.nsh
${StrStr}
${UnStrRep}

Name "QuorSMA ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\QuorSMA"
InstallDirRegKey HKCU "Software\QuorSMA" "InstallDir"
RequestExecutionLevel user
ShowInstDetails show

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuorSMA"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "QuorSMA"
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  ; The configuration, naming this installation's data directories.
  CreateDirectory "$INSTDIR\_Configuration"
  WriteINIStr "$INSTDIR\_Configuration\_Configuration.ini" "LAST_LIST_SETTING" "EQP_NAME" "QuorSMA"
  WriteINIStr "$INSTDIR\_Configuration\_Configuration.ini" "LAST_LIST_SETTING" "PROGRAM_VER" "${VERSION}"
  WriteINIStr "$INSTDIR\_Configuration\_Configuration.ini" "LAST_LIST_SETTING" "RECIPE_CUR_NAME" "DEMO"
  WriteINIStr "$INSTDIR\_Configuration\_Configuration.ini" "LAST_LIST_SETTING" "RECIPE_CUR_NUMBER" "1"
  WriteINIStr "$INSTDIR\_Configuration\_Configuration.ini" "LAST_LIST_SETTING" "MEM_PARA_PATH" "$INSTDIR\installation\param"
  WriteINIStr "$INSTDIR\_Configuration\_Configuration.ini" "LAST_LIST_SETTING" "MEM_PLC_PATH" "$INSTDIR\installation\plc"
  WriteINIStr "$INSTDIR\_Configuration\_Configuration.ini" "LAST_LIST_SETTING" "QuorUSC__DIRECTORY_SETTING" "$INSTDIR\installation\setting"
  WriteINIStr "$INSTDIR\_Configuration\_Configuration.ini" "LAST_LIST_SETTING" "QuorUSC__DIRECTORY_LOG" "$INSTDIR\installation\log"
  CreateDirectory "$INSTDIR\installation\setting"
  CreateDirectory "$INSTDIR\installation\log"

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKCU "Software\QuorSMA" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "QuorSMA ${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1

  ; The folder goes at the end of the user's PATH, once.
  ReadRegStr $0 HKCU "Environment" "Path"
  ${StrStr} $1 ";$0;" ";$INSTDIR;"
  ${If} $1 == ""
    ${If} $0 == ""
      WriteRegExpandStr HKCU "Environment" "Path" "$INSTDIR"
    ${Else}
      WriteRegExpandStr HKCU "Environment" "Path" "$0;$INSTDIR"
    ${EndIf}
    SendMessage ${HWND_BROADCAST} ${WM_WININICHANGE} 0 "STR:Environment" /TIMEOUT=2000
  ${EndIf}
SectionEnd

Section "Uninstall"
  ; The folder leaves the user's PATH wherever it stands in it.
  ReadRegStr $0 HKCU "Environment" "Path"
  ${UnStrRep} $1 ";$0;" ";$INSTDIR;" ";"
  ; Strip the separators added above at both ends.
  StrCpy $1 $1 "" 1
  StrLen $2 $1
  ${If} $2 > 0
    IntOp $2 $2 - 1
    StrCpy $1 $1 $2
  ${EndIf}
  ${If} $1 == ""
    DeleteRegValue HKCU "Environment" "Path"
  ${Else}
    WriteRegExpandStr HKCU "Environment" "Path" "$1"
  ${EndIf}
  SendMessage ${HWND_BROADCAST} ${WM_WININICHANGE} 0 "STR:Environment" /TIMEOUT=2000

  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "Software\QuorSMA"
  ; What the installer put here goes, with the data the programs wrote in
  ; its directories; the folder itself only when nothing else is left in it
  ; (never a whole folder the user chose and filled).
  RMDir /r "$INSTDIR\include"
  RMDir /r "$INSTDIR\lib"
  RMDir /r "$INSTDIR\examples"
  RMDir /r "$INSTDIR\installation"
  RMDir /r "$INSTDIR\licences"
  RMDir /r "$INSTDIR\_Configuration"
  Delete "$INSTDIR\quorsma.exe"
  Delete "$INSTDIR\QuorSMA.dll"
  Delete "$INSTDIR\quorsma-client.dll"
  Delete "$INSTDIR\libmodbus.dll"
  Delete "$INSTDIR\libmicrohttpd.dll"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\configure.cmd"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd

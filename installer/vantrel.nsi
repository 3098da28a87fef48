; Vantrel's installer (NSIS 3, Unicode). Built by scripts/release.sh:
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.5.6.4 -DBIN_DIR=<folder of Vantrel.exe>
;            -DOUT_FILE=<installer> installer/vantrel.nsi
; (makensis works in the script's folder: the paths below are relative to it)
;
; Installs Vantrel.exe into Program Files, a Start-menu shortcut for all users
; and an uninstaller registered under the machine's Uninstall key. "/S" runs
; either silently; "/D=<folder>" (last on the command line) names the folder.
;
; Exit codes besides NSIS's own (0 done, 1 cancelled, 2 aborted):
;   740  not run with administrator rights
;   3    Vantrel is running
;   4    the folder or the registry could not be written; nothing was changed
;        (an update leaves the installed version as it was)

Unicode true
; The shipped installer is 32-bit, like the program. The tests of a 64-bit
; build (on machines whose Wine runs no 32-bit program) make the same
; installer with -DTARGET=amd64-unicode.
!ifndef TARGET
  !define TARGET x86-unicode
!endif
Target ${TARGET}
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!ifndef VERSION
  !error "VERSION, BIN_DIR and OUT_FILE are given by scripts/release.sh"
!endif
!ifndef BIN_DIR
  !error "VERSION, BIN_DIR and OUT_FILE are given by scripts/release.sh"
!endif
!ifndef OUT_FILE
  !error "VERSION, BIN_DIR and OUT_FILE are given by scripts/release.sh"
!endif

!define PRODUCT "Vantrel"
!define PUBLISHER "Vantrel"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrel"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define MSMQ_KEY "SOFTWARE\Microsoft\MSMQ\Parameters"
!define INTERFACES_KEY "SYSTEM\CurrentControlSet\Services\Tcpip\Parameters\Interfaces"
; The silent uninstaller's answer to its two questions (remove the tweak's
; values, remove the data folder): No. The tests make an installer that
; answers Yes (-DSILENT_ANSWER=IDYES) to check the removals.
!ifndef SILENT_ANSWER
  !define SILENT_ANSWER IDNO
!endif
!define EXIT_NOT_ADMIN 740
!define EXIT_RUNNING 3
!define EXIT_WRITE_FAILED 4

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WordFunc.nsh"
!include "x64.nsh"

Name "${PRODUCT}"
OutFile "${OUT_FILE}"
!if ${TARGET} == amd64-unicode
  !define REGVIEW 64
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  !define REGVIEW 32
  InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif
; An earlier installation is updated where it is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails hide
ShowUninstDetails hide

!define MUI_ICON "../resources/vantrel.ico"
!define MUI_UNICON "../resources/vantrel.ico"
!define MUI_ABORTWARNING

!define MUI_FINISHPAGE_RUN "$INSTDIR\Vantrel.exe"
!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; English first: it is the language of every user interface but Korean.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Korean"

!include "messages.nsh"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "OriginalFilename" "Vantrel-${VERSION}-setup.exe"

Var Fresh        ; 1: no Vantrel.exe was in the folder before this run

; ------------------------------------------------------------------ helpers

; The pages speak the program's own language: Korean when the user-interface
; language is Korean (1042), English otherwise.
!macro ChooseLanguage
  System::Call 'kernel32::GetUserDefaultUILanguage() i .r0'
  ${If} $0 = 1042
    StrCpy $LANGUAGE ${LANG_KOREAN}
  ${Else}
    StrCpy $LANGUAGE ${LANG_ENGLISH}
  ${EndIf}
!macroend

!macro RequireAdmin
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_OK|MB_ICONSTOP "$(MsgNeedAdmin)" /SD IDOK
    SetErrorLevel ${EXIT_NOT_ADMIN}
    Quit
  ${EndIf}
!macroend

; A running Vantrel holds its single-instance mutex "VANTREL".
!macro WaitUntilClosed
  ${Do}
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "VANTREL") p .r0'
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r0)'
    ${If} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(MsgRunning)" /SD IDCANCEL IDCANCEL`
      SetErrorLevel ${EXIT_RUNNING}
      Quit
    ${EndIf}
  ${Loop}
!macroend

; ------------------------------------------------------------------ installer

Function .onInit
  !insertmacro ChooseLanguage
  !insertmacro RequireAdmin
  !insertmacro WaitUntilClosed
  ; A quoted "/D=" (as scripts and Wine write an argument with spaces) is
  ; not NSIS's own form, which would install into the default folder.
  Call ReadFolderArgument
  ${If} $R0 != ""
    StrCpy $INSTDIR $R0
    StrCpy $R1 $R0 2 1
    StrCpy $R2 $R0 2
    ${If} $R1 != ":\"
    ${AndIf} $R2 != "\\"
      MessageBox MB_OK|MB_ICONSTOP "$(MsgNotAFolder)" /SD IDOK
      SetErrorLevel ${EXIT_WRITE_FAILED}
      Quit
    ${EndIf}
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR"
  ${AndIfNot} ${FileExists} "$INSTDIR\*.*"
    MessageBox MB_OK|MB_ICONSTOP "$(MsgNotAFolder)" /SD IDOK
    SetErrorLevel ${EXIT_WRITE_FAILED}
    Quit
  ${EndIf}
  SetRegView ${REGVIEW}
  ClearErrors
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "DisplayVersion"
  ${IfNot} ${Errors}
  ${AndIf} $1 != ""
    ${VersionCompare} "$1" "${VERSION}" $2
    ${If} $2 = 1  ; the installed one is newer
      ${If} ${Cmd} `MessageBox MB_YESNO|MB_ICONQUESTION "$(MsgNewerInstalled)" /SD IDYES IDNO`
        Quit
      ${EndIf}
    ${EndIf}
  ${EndIf}
FunctionEnd

; $R0 := the folder of a quoted "/D=" argument ("/D=C:\Some Folder"), or "".
; NSIS itself takes the plain form (last on the line, no quotes), cuts it off
; the command line and, in silent mode, uses its default folder in place of
; one it cannot use.
Function ReadFolderArgument
  StrCpy $R0 ""
  System::Call 'kernel32::GetCommandLineW() w .R1'
  StrLen $R2 $R1
  StrCpy $R3 1
  ${DoWhile} $R3 < $R2
    StrCpy $R4 $R1 3 $R3
    IntOp $R5 $R3 - 1
    StrCpy $R5 $R1 1 $R5
    ${If} $R4 S== "/D="
    ${AndIf} $R5 == " "
    ${OrIf} $R4 S== "/D="
    ${AndIf} $R5 == '"'
      IntOp $R3 $R3 + 3
      StrCpy $R0 $R1 "" $R3
      ${If} $R5 == '"'
        ; up to the closing quote
        StrCpy $R3 0
        StrLen $R2 $R0
        ${DoWhile} $R3 < $R2
          StrCpy $R4 $R0 1 $R3
          ${If} $R4 == '"'
            StrCpy $R0 $R0 $R3
            ${Break}
          ${EndIf}
          IntOp $R3 $R3 + 1
        ${Loop}
      ${EndIf}
      ${Break}
    ${EndIf}
    IntOp $R3 $R3 + 1
  ${Loop}
FunctionEnd

; The folder must be one that can hold the program: not a file, not a drive root.
Function DirectoryLeave
  ${If} ${FileExists} "$INSTDIR"
  ${AndIfNot} ${FileExists} "$INSTDIR\*.*"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(MsgNotAFolder)"
    Abort
  ${EndIf}
FunctionEnd

; Ends a failed installation. A fresh one takes back everything this run
; wrote; an update keeps the installed program as it was.
Function FailInstall
  Delete "$INSTDIR\Vantrel.exe.new"
  ${If} $Fresh = 1
    Delete "$INSTDIR\Vantrel.exe"
    Delete "$INSTDIR\Uninstall.exe"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    RMDir "$INSTDIR"
  ${ElseIf} ${FileExists} "$INSTDIR\Vantrel.exe.old"
  ${AndIfNot} ${FileExists} "$INSTDIR\Vantrel.exe"
    Rename "$INSTDIR\Vantrel.exe.old" "$INSTDIR\Vantrel.exe"
  ${EndIf}
  MessageBox MB_OK|MB_ICONSTOP "$(MsgWriteFailed)" /SD IDOK
  SetErrorLevel ${EXIT_WRITE_FAILED}
  Quit
FunctionEnd

Section "Vantrel" SecMain
  SectionIn RO
  SetShellVarContext all
  SetRegView ${REGVIEW}
  StrCpy $Fresh 1
  ${If} ${FileExists} "$INSTDIR\Vantrel.exe"
    StrCpy $Fresh 0
  ${EndIf}

  ClearErrors
  CreateDirectory "$INSTDIR"
  ${IfNot} ${FileExists} "$INSTDIR\*.*"
    Call FailInstall
  ${EndIf}
  SetOutPath "$INSTDIR"

  ; The new program goes in under another name first, so that a failure
  ; leaves the installed one whole.
  Delete "$INSTDIR\Vantrel.exe.new"
  SetOverwrite try
  ClearErrors
  File "/oname=Vantrel.exe.new" "${BIN_DIR}/Vantrel.exe"
  ${If} ${Errors}
  ${OrIfNot} ${FileExists} "$INSTDIR\Vantrel.exe.new"
    Call FailInstall
  ${EndIf}
  SetOverwrite on

  ClearErrors
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ${If} ${Errors}
    Call FailInstall
  ${EndIf}

  ; Swap the program: a running file can be renamed, not overwritten.
  ${If} $Fresh = 0
    Delete "$INSTDIR\Vantrel.exe.old"
    ClearErrors
    Rename "$INSTDIR\Vantrel.exe" "$INSTDIR\Vantrel.exe.old"
    ${If} ${Errors}
      Call FailInstall
    ${EndIf}
  ${EndIf}
  ClearErrors
  Rename "$INSTDIR\Vantrel.exe.new" "$INSTDIR\Vantrel.exe"
  ${If} ${Errors}
    Call FailInstall
  ${EndIf}
  Delete /REBOOTOK "$INSTDIR\Vantrel.exe.old"

  ClearErrors
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Vantrel.exe" "" "$INSTDIR\Vantrel.exe" 0
  ${If} ${Errors}
    Call FailInstall
  ${EndIf}

  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  ClearErrors
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\Vantrel.exe",0'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; The version last: it tells the next installer what is installed.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  ${If} ${Errors}
    Call FailInstall
  ${EndIf}
SectionEnd

; ------------------------------------------------------------------ uninstaller

Var DataFolder

Function un.onInit
  !insertmacro ChooseLanguage
  !insertmacro RequireAdmin
  !insertmacro WaitUntilClosed
FunctionEnd

; $0 := 1 when the path is a link or junction (a reparse point), else 0.
!macro IsLink PATH
  System::Call 'kernel32::GetFileAttributesW(w "${PATH}") i .r0'
  ${If} $0 <> -1
    IntOp $0 $0 & 0x400
    ${If} $0 <> 0
      StrCpy $0 1
    ${EndIf}
  ${Else}
    StrCpy $0 0
  ${EndIf}
!macroend

; The "Vantrel" Run value of one registry view goes when it starts this
; installation's program or a program that no longer exists; a value that
; starts another copy of Vantrel stays.
Function un.RemoveRunValue
  ClearErrors
  ReadRegStr $1 HKLM "${RUN_KEY}" "Vantrel"
  ${If} ${Errors}
    Return
  ${EndIf}
  ; The program's path: the text inside the first pair of quotes, or all of it.
  StrCpy $2 $1
  StrCpy $3 $1 1
  ${If} $3 == '"'
    StrCpy $2 ""
    StrCpy $4 1
    ${Do}
      StrCpy $3 $1 1 $4
      ${If} $3 == ""
      ${OrIf} $3 == '"'
        ${Break}
      ${EndIf}
      StrCpy $2 "$2$3"
      IntOp $4 $4 + 1
    ${Loop}
  ${EndIf}
  ${If} $2 == "$INSTDIR\Vantrel.exe"
  ${OrIfNot} ${FileExists} $2
    DeleteRegValue HKLM "${RUN_KEY}" "Vantrel"
  ${EndIf}
FunctionEnd

; $3 := 1 when the tweak's values are present: the Message Queuing value
; TCPNoDelay = 1, or an interface with all three values as the tweak sets them.
Function un.TweakPresent
  StrCpy $3 0
  ClearErrors
  ReadRegDWORD $1 HKLM "${MSMQ_KEY}" "TCPNoDelay"
  ${IfNot} ${Errors}
  ${AndIf} $1 = 1
    StrCpy $3 1
    Return
  ${EndIf}
  StrCpy $4 0
  ${Do}
    EnumRegKey $5 HKLM "${INTERFACES_KEY}" $4
    ${If} $5 == ""
      ${Break}
    ${EndIf}
    Call un.InterfaceTweaked
    ${If} $6 = 1
      StrCpy $3 1
      ${Break}
    ${EndIf}
    IntOp $4 $4 + 1
  ${Loop}
FunctionEnd

; $6 := 1 when interface $5 holds TcpAckFrequency 1, TCPNoDelay 1, TcpDelAckTicks 0.
Function un.InterfaceTweaked
  StrCpy $6 0
  ClearErrors
  ReadRegDWORD $7 HKLM "${INTERFACES_KEY}\$5" "TcpAckFrequency"
  ReadRegDWORD $8 HKLM "${INTERFACES_KEY}\$5" "TCPNoDelay"
  ReadRegDWORD $9 HKLM "${INTERFACES_KEY}\$5" "TcpDelAckTicks"
  ${IfNot} ${Errors}
  ${AndIf} $7 = 1
  ${AndIf} $8 = 1
  ${AndIf} $9 = 0
    StrCpy $6 1
  ${EndIf}
FunctionEnd

; What switching the tweak off deletes; values that other software set
; differently are left alone.
Function un.RemoveTweak
  ClearErrors
  ReadRegDWORD $1 HKLM "${MSMQ_KEY}" "TCPNoDelay"
  ${IfNot} ${Errors}
  ${AndIf} $1 = 1
    DeleteRegValue HKLM "${MSMQ_KEY}" "TCPNoDelay"
  ${EndIf}
  StrCpy $4 0
  ${Do}
    EnumRegKey $5 HKLM "${INTERFACES_KEY}" $4
    ${If} $5 == ""
      ${Break}
    ${EndIf}
    Call un.InterfaceTweaked
    ${If} $6 = 1
      DeleteRegValue HKLM "${INTERFACES_KEY}\$5" "TcpAckFrequency"
      DeleteRegValue HKLM "${INTERFACES_KEY}\$5" "TCPNoDelay"
      DeleteRegValue HKLM "${INTERFACES_KEY}\$5" "TcpDelAckTicks"
    ${EndIf}
    IntOp $4 $4 + 1
  ${Loop}
FunctionEnd

; Removes the files Vantrel keeps in its data folder and the folder when it
; is then empty. A link in place of the folder or of its "dat" folder is
; removed as a link: nothing is deleted through it.
Function un.RemoveDataFolder
  !insertmacro IsLink "$DataFolder"
  ${If} $0 = 1
    RMDir "$DataFolder"
    Return
  ${EndIf}
  !insertmacro IsLink "$DataFolder\dat"
  ${If} $0 = 1
    RMDir "$DataFolder\dat"
  ${ElseIf} ${FileExists} "$DataFolder\dat\*.*"
    Delete "$DataFolder\dat\*.*"
    RMDir "$DataFolder\dat"
  ${EndIf}
  Delete "$DataFolder\Recovery.ini"
  Delete "$DataFolder\Vantrel.dat"
  Delete "$DataFolder\Schedlet.dll"
  RMDir "$DataFolder"
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  SetRegView ${REGVIEW}

  ; The program first: when it cannot go, nothing else is removed.
  ClearErrors
  Delete "$INSTDIR\Vantrel.exe"
  ${If} ${Errors}
  ${OrIf} ${FileExists} "$INSTDIR\Vantrel.exe"
    MessageBox MB_OK|MB_ICONSTOP "$(MsgCannotRemove)" /SD IDOK
    SetErrorLevel ${EXIT_WRITE_FAILED}
    Quit
  ${EndIf}
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  ; What the program writes beside itself: its settings, the updater it
  ; leaves during an update, and the scheduled-task library.
  Delete "$INSTDIR\Vantrel.ini"
  Delete "$INSTDIR\VantrelUpdate.exe"
  Delete "$INSTDIR\Schedlet.dll"
  Delete "$INSTDIR\Vantrel.exe.new"
  Delete "$INSTDIR\Vantrel.exe.old"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  ; Both registry views: a 32-bit program on 64-bit Windows writes its own.
  SetRegView 32
  Call un.RemoveRunValue
  ${If} ${RunningX64}
    SetRegView 64
    Call un.RemoveRunValue
  ${EndIf}

  ; The tweak lives in the machine's own registry view.
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  Call un.TweakPresent
  ${If} $3 = 1
    ${If} ${Cmd} `MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$(MsgRemoveTweak)" /SD ${SILENT_ANSWER} IDYES`
      Call un.RemoveTweak
    ${EndIf}
  ${EndIf}
  SetRegView ${REGVIEW}

  ; The data folder of the user who uninstalls: the recovery store's
  ; backups are kept unless the user agrees.
  SetShellVarContext current
  StrCpy $DataFolder "$DOCUMENTS\Vantrel"
  ${If} ${FileExists} "$DataFolder\*.*"
    ${If} ${Cmd} `MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$(MsgRemoveData)" /SD ${SILENT_ANSWER} IDYES`
      Call un.RemoveDataFolder
    ${EndIf}
  ${EndIf}
  SetShellVarContext all

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

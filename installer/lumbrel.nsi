; Lumbrel's installer: for the current user, without administrator rights, into
; %LOCALAPPDATA%\Programs\Lumbrel (LUM.ini lives beside lumbrel.exe, so the folder has to be one
; the user can write). scripts/package.sh builds it with makensis and passes:
;   LUM_VERSION  the version ("1.2")
;   LUM_FILES    the file lists written by scripts/package.py from the program folder
;   LUM_ICON     the program's icon; LUM_WIZARD the picture of the first and last pages
;   LUM_OUT      the installer to write
;   LUM_AMD64    defined for the 64-bit program (the stub must match it)
;
; A silent run (/S) installs with the defaults. Each install and uninstall appends what it did, or
; why it stopped, to %TEMP%\Lumbrel-setup.log (UTF-16); one that stops changes nothing and ends with
; status 2.

Unicode true
!ifdef LUM_AMD64
  Target amd64-unicode
!else
  Target x86-unicode
!endif

!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define PUBLISHER "The Lumbrel Project"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumbrel"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define FORM_CLASS "LumbrelForm1"
!define CLOSE_WAIT_MS 5000
!define LOG_FILE "$TEMP\Lumbrel-setup.log"
!define SHORTCUT "$SMPROGRAMS\Lumbrel.lnk"
; What Windows returns from WaitForSingleObject when the process has ended.
!define WAIT_OBJECT_0 0
!define SYNCHRONIZE 0x00100000
!define PROCESS_QUERY_LIMITED_INFORMATION 0x1000

Name "Lumbrel"
OutFile "${LUM_OUT}"
InstallDir "$LOCALAPPDATA\Programs\Lumbrel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel user
SetCompressor /SOLID lzma
ManifestDPIAware true
BrandingText "Lumbrel ${LUM_VERSION}"
ShowInstDetails show
ShowUninstDetails show
; The language file's "インストール(&I)" is wider than the button in some Japanese fonts.
InstallButtonText "インストール"

Var Startup     ; 1: start Lumbrel when Windows starts (the Run value)
Var StartupBox  ; the check box on the options page
Var AskedDir    ; the folder named with /D=, as given
Var WasRunning  ; the Lumbrel the installer closed: its path, "?" or "" (see CloseLumbrel)

!define MUI_ICON "${LUM_ICON}"
!define MUI_UNICON "${LUM_ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${LUM_WIZARD}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
Page custom OptionsPage OptionsLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Lumbrel を開始する"
!define MUI_FINISHPAGE_RUN_FUNCTION StartLumbrel
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishShow
!insertmacro MUI_PAGE_FINISH

; The language file's "アンインストール元:" does not fit its label in some Japanese fonts.
!define MUI_UNCONFIRMPAGE_TEXT_LOCATION "フォルダー:"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

VIProductVersion "${LUM_VERSION}.0.0"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "Lumbrel"
VIAddVersionKey /LANG=${LANG_JAPANESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "(C) 2026 ${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "Lumbrel ${LUM_VERSION} セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${LUM_VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${LUM_VERSION}"

; Sets $0 to a reason when a program file that is already there cannot be replaced (read-only,
; or held open).
!macro LumCheckReplaceable FILE
  ${If} ${FileExists} "${FILE}"
    ClearErrors
    FileOpen $3 "${FILE}" a
    ${If} ${Errors}
      ${If} $0 == ""
        StrCpy $0 "「${FILE}」を置き換えられません。"
      ${EndIf}
    ${Else}
      FileClose $3
    ${EndIf}
  ${EndIf}
!macroend

!include "${LUM_FILES}"

; The installer and the uninstaller each need their own copy of these ("un." before a name).
!macro LumSharedFunctions UN
  ; Appends the text on the stack to the log.
  Function ${UN}LumLog
    Exch $0
    Push $1
    Push $2
    ClearErrors
    FileOpen $1 "${LOG_FILE}" a
    ${IfNot} ${Errors}
      FileSeek $1 0 END $2
      ${If} $2 == 0
        FileWriteWord $1 0xFEFF
      ${EndIf}
      FileWriteUTF16LE $1 "Lumbrel ${LUM_VERSION}: $0$\r$\n"
      FileClose $1
    ${EndIf}
    Pop $2
    Pop $1
    Pop $0
  FunctionEnd

  ; Closes every running Lumbrel as its own quit command would (WM_CLOSE to its hidden window)
  ; and waits until each process has ended, CLOSE_WAIT_MS in all. Leaves "ok" or "timeout" in $0,
  ; and in $1 the program path of the last one closed, "?" when its path is unknown, "" when none
  ; was running. A process that has ended has let go of the single-instance lock and of
  ; lumbrel.exe, so that the new one can take both.
  Function ${UN}CloseLumbrel
    Push $2
    Push $3
    Push $4
    Push $5
    StrCpy $0 "ok"
    StrCpy $1 ""
    System::Call "kernel32::GetTickCount() i .r5"
    IntOp $5 $5 + ${CLOSE_WAIT_MS}
    ${Do}
      FindWindow $2 "${FORM_CLASS}"
      ${If} $2 == 0
        ${Break}
      ${EndIf}
      System::Call "user32::GetWindowThreadProcessId(p r2, *i .r3) i"
      StrCpy $1 "?"
      System::Call "kernel32::OpenProcess(i ${SYNCHRONIZE}|${PROCESS_QUERY_LIMITED_INFORMATION}, i 0, i r3) p .r4"
      ${If} $4 P<> 0
        System::Call "kernel32::QueryFullProcessImageNameW(p r4, i 0, w .r1, *i ${NSIS_MAX_STRLEN}) i .r3"
        ${If} $3 == 0
          StrCpy $1 "?"
        ${EndIf}
        StrCpy $3 $4
      ${Else}
        ; Windows XP knows no limited query right.
        System::Call "kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r3) p .r3"
      ${EndIf}
      System::Call "user32::PostMessageW(p r2, i ${WM_CLOSE}, p 0, p 0) i"
      System::Call "kernel32::GetTickCount() i .r4"
      IntOp $4 $5 - $4
      ${If} $4 < 0
        StrCpy $4 0
      ${EndIf}
      ${If} $3 P<> 0
        System::Call "kernel32::WaitForSingleObject(p r3, i r4) i .r4"
        System::Call "kernel32::CloseHandle(p r3)"
        ${If} $4 != ${WAIT_OBJECT_0}
          StrCpy $0 "timeout"
          ${Break}
        ${EndIf}
      ${Else}
        ; No handle on the process: watch its window instead.
        ${Do}
          Sleep 100
          System::Call "user32::IsWindow(p r2) i .r3"
          ${If} $3 == 0
            ${Break}
          ${EndIf}
          System::Call "kernel32::GetTickCount() i .r4"
          IntOp $4 $5 - $4
        ${LoopUntil} $4 <= 0
        ${If} $3 != 0
          StrCpy $0 "timeout"
          ${Break}
        ${EndIf}
      ${EndIf}
    ${Loop}
    Pop $5
    Pop $4
    Pop $3
    Pop $2
  FunctionEnd
!macroend
!insertmacro LumSharedFunctions ""
!insertmacro LumSharedFunctions "un."

; Says why the run stops and that nothing was done (a message box, or the log alone when silent;
; the log takes it on one line) and stops it with status 2.
!macro LumStop UN REASON OUTCOME
  Push "${REASON} ${OUTCOME}"
  Call ${UN}LumLog
  MessageBox MB_OK|MB_ICONSTOP "${REASON}$\r$\n${OUTCOME}" /SD IDOK
  SetErrorLevel 2
  Abort "${REASON} ${OUTCOME}"
!macroend

Function .onInit
  ; The installer's engine quietly takes the default folder instead of a /D= folder on a drive that
  ; is not there; remember what was asked so that the install can refuse instead. $CMDLINE has
  ; lost the /D= part by now, Windows' own copy of the command line has not.
  System::Call "kernel32::GetCommandLineW() w .r0"
  ClearErrors
  ${GetOptions} $0 "/D=" $AskedDir
  ${If} ${Errors}
    StrCpy $AskedDir ""
  ${EndIf}
  ; A fresh install starts with Windows; an upgrade keeps the choice made last time.
  StrCpy $Startup 1
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    ReadRegStr $0 HKCU "${RUN_KEY}" "Lumbrel"
    ${If} $0 == ""
      StrCpy $Startup 0
    ${EndIf}
  ${EndIf}
FunctionEnd

; Sets $0 to "" when files can be written into $INSTDIR, else to the reason. Leaves behind no
; folder that it had to create for the test.
Function CheckTarget
  Push $1
  Push $2
  Push $3
  ; The topmost folder of $INSTDIR's path that is not there yet ("" when $INSTDIR is).
  StrCpy $1 $INSTDIR
  StrCpy $2 ""
  ${DoUntil} $1 == ""
    ${If} ${FileExists} "$1\*.*"
      ${Break}
    ${EndIf}
    StrCpy $2 $1
    ${GetParent} $1 $1
  ${Loop}
  StrCpy $0 ""
  ClearErrors
  CreateDirectory $INSTDIR
  ${If} ${Errors}
  ${OrIfNot} ${FileExists} "$INSTDIR\*.*"
    StrCpy $0 "インストール先のフォルダー「$INSTDIR」を作成できません。"
  ${Else}
    ClearErrors
    FileOpen $3 "$INSTDIR\Lumbrel-setup.tmp" w
    ${If} ${Errors}
      StrCpy $0 "インストール先のフォルダー「$INSTDIR」に書き込めません。"
    ${Else}
      FileClose $3
      Delete "$INSTDIR\Lumbrel-setup.tmp"
    ${EndIf}
  ${EndIf}
  ; Remove the folders made here, from $INSTDIR up to the topmost new one.
  ${If} $2 != ""
    StrCpy $1 $INSTDIR
    ${Do}
      RMDir $1
      ${If} $1 == $2
        ${Break}
      ${EndIf}
      ${GetParent} $1 $1
    ${LoopUntil} $1 == ""
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

Function DirectoryLeave
  StrCpy $AskedDir ""
  Call CheckTarget
  ${If} $0 != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "$0$\r$\n別のフォルダーを選んでください。"
    Abort
  ${EndIf}
FunctionEnd

Function OptionsPage
  !insertmacro MUI_HEADER_TEXT "オプション" "Lumbrel の開始のしかたを選んでください。"
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ${NSD_CreateCheckbox} 0 0 100% 12u "Windows の起動時に Lumbrel を開始する"
  Pop $StartupBox
  ${If} $Startup == 1
    ${NSD_Check} $StartupBox
  ${EndIf}
  ${NSD_CreateLabel} 0 20u 100% 30u "Lumbrel は通知領域に常駐して、手前のウィンドウのタイトル バーを飾ります。チェックしておくと、サインインのたびに自動で開始します。"
  Pop $0
  nsDialogs::Show
FunctionEnd

Function OptionsLeave
  ${NSD_GetState} $StartupBox $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $Startup 1
  ${Else}
    StrCpy $Startup 0
  ${EndIf}
FunctionEnd

Section "-Lumbrel"
  ; Everything that could stop the install is looked at before anything is changed.
  ${If} $AskedDir != ""
  ${AndIf} $AskedDir != $INSTDIR
  ${AndIf} $AskedDir != "$INSTDIR\"
    !insertmacro LumStop "" "インストール先のフォルダー「$AskedDir」を作成できません。" "インストールは行われませんでした。"
  ${EndIf}
  Call CheckTarget
  ${If} $0 != ""
    !insertmacro LumStop "" "$0" "インストールは行われませんでした。"
  ${EndIf}
  Call CloseLumbrel
  StrCpy $WasRunning $1
  ${If} $0 != "ok"
    !insertmacro LumStop "" "実行中の Lumbrel が 5 秒以内に終了しませんでした。Lumbrel を終了してから、もう一度実行してください。" "インストールは行われませんでした。"
  ${EndIf}
  StrCpy $0 ""
  !insertmacro LumCheckFiles
  ${If} $0 != ""
    ; Put back the Lumbrel that was running before.
    ${If} $WasRunning != ""
    ${AndIf} $WasRunning != "?"
      Exec '"$WasRunning"'
    ${EndIf}
    !insertmacro LumStop "" "$0" "インストールは行われませんでした。"
  ${EndIf}

  ; LUM.ini is never shipped, and channels only where the user has none of that name.
  !insertmacro LumInstallFiles
  WriteUninstaller "$INSTDIR\uninst.exe"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\lumbrel.exe" "" "$INSTDIR\lumbrel.exe" 0

  ${If} $Startup == 1
    WriteRegStr HKCU "${RUN_KEY}" "Lumbrel" '"$INSTDIR\lumbrel.exe"'
  ${Else}
    DeleteRegValue HKCU "${RUN_KEY}" "Lumbrel"
  ${EndIf}

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Lumbrel"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${LUM_VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\lumbrel.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninst.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninst.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  Push "インストールしました: $INSTDIR"
  Call LumLog
SectionEnd

Function StartLumbrel
  SetOutPath "$INSTDIR"
  Exec '"$INSTDIR\lumbrel.exe"'
FunctionEnd

; The last page offers to start Lumbrel now, ticked when it is to start with Windows or was
; running before the install.
Function FinishShow
  ${If} $Startup != 1
  ${AndIf} $WasRunning == ""
    ${NSD_Uncheck} $mui.FinishPage.Run
  ${EndIf}
FunctionEnd

Function .onInstSuccess
  ${If} ${Silent}
    ${If} $Startup == 1
    ${OrIf} $WasRunning != ""
      Call StartLumbrel
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.CloseLumbrel
  ${If} $0 != "ok"
    !insertmacro LumStop "un." "実行中の Lumbrel が 5 秒以内に終了しませんでした。Lumbrel を終了してから、もう一度実行してください。" "アンインストールは行われませんでした。"
  ${EndIf}
  MessageBox MB_YESNO|MB_ICONQUESTION "設定 (LUM.ini) とニュース チャンネル (News フォルダー) を残しますか?$\r$\n「いいえ」を選ぶと、これらも削除します。" /SD IDYES IDYES keep
    Delete "$INSTDIR\LUM.ini"
    RMDir /r "$INSTDIR\News"
  keep:
  ; A folder that is some process's current folder cannot be removed: not this one's, at least.
  SetOutPath "$TEMP"
  !insertmacro LumRemoveFiles
  Delete "$INSTDIR\uninst.exe"
  RMDir "$INSTDIR\News"
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"
  DeleteRegValue HKCU "${RUN_KEY}" "Lumbrel"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  Push "アンインストールしました: $INSTDIR"
  Call un.LumLog
SectionEnd

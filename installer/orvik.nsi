; orvik.nsi: the Windows installer of the Orvik UPS monitor (NSIS 3, built by tools/package.sh).
;
; Installs the 64-bit programs on 64-bit Windows and the 32-bit ones on 32-bit Windows into
; Program Files, adds the Start menu entries and the entry of the installed-programs list, and
; then lets `orvik_ups /install` create the service: with its setup dialog, or, installing
; silently (/S), with the choice given on the installer's command line:
;
;   orvik-setup-VERSION.exe /S /VENDOR=Orvik /MODEL="Varnelo 600" /PORT=COM1 /TRAY=1 [/D=FOLDER]
;
; or, for a UPS that another computer serves over NUT, /PORT=NUT:ups@host[:port] with /USER= and
; /PASSWORD= (the secondary's login; neither may hold a double quote). The choice is checked with the
; bundled orvik_ups before anything is copied, so that a mistake leaves nothing half-installed.
;
; Sharing the UPS with other computers (the service's NUT server) takes the same settings as
; orvik_ups's /network switches, which the installer runs before it starts the service:
;   /NETWORK=1|0  /LISTEN="0.0.0.0 3493;::1 3493"  /UPSNAME=ups  /MAXCLIENTS=64  /HOSTSYNC=15
;   /NETUSER=nas /NETPASSWORD=secret /NETUPSMON=secondary /NETACTIONS=FSD,SET /NETINSTCMDS=all
; (one user; more with orvik_ups /network:user). A refused one ends a silent run with exit code 6
; before the service is installed.
;
; Over an earlier installation the settings are kept: the installed `orvik_ups /uninstall`
; deletes the service and with it the service's registry key, so the Config key, the
; administrator's commands on events (the Events key), the network settings (the Network key, with
; a NUT server's login; its copy holds passwords and lives in the installer's private folder until
; it is written back) and the port are copied out before and written back after it; the new
; `orvik_ups /install` protects the Events and Network keys again. A silent upgrade without a
; choice keeps the installed one, with a NUT server's login. Exit codes of a silent run: 0
; installed and the service running, 2 the UPS
; choice is missing or not one the setup dialog lists, 3 the folder is refused, 4 the service does
; not run, 5 not run as an administrator or the earlier installation could not be removed, 6 a
; network setting is refused.
;
; Defines: VERSION (x.y.z), SET64 (folder of the 64-bit files), SET32 (of the 32-bit ones; left
; out for the 64-bit-only installer, which X64_ONLY makes), SIZE64 and SIZE32 (the sets' sizes in
; KiB), OUTFILE.

Unicode true
!ifdef X64_ONLY
  Target amd64-unicode
  ; ${RunningX64} is constant in a 64-bit installer, so LogicLib leaves labels unused.
  !pragma warning disable 6012
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all
ManifestDPIAware true

!define PRODUCT "Orvik UPS monitor"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvik UPS"
!define SERVICE_KEY "SYSTEM\CurrentControlSet\Services\UPS"
!define CONFIG_KEY "${SERVICE_KEY}\Config"
!define EVENTS_KEY "${SERVICE_KEY}\Events"
!define EVENT_SOURCE_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\UPS"
!define NETWORK_KEY "${SERVICE_KEY}\Network"
!define LOGIN_KEY "${NETWORK_KEY}\Client"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define MENU_FOLDER "$SMPROGRAMS\Orvik UPS"
; The library's mains plug (IDI_TRAY_MAINS, its third icon) stands for the system in the Start
; menu and the installed-programs list.
!define ICON_RESOURCE 104
!define ICON_INDEX 2

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Orvik UPS"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WordFunc.nsh
!include WinVer.nsh
!include x64.nsh

Var Vendor
Var Model
Var Port
Var User        ; the login at a NUT server, for a port NUT:...
Var Password
Var Tray
Var OldDir      ; the folder of an installation made by this installer
Var OldHost     ; the orvik_ups.exe whose /uninstall removes the earlier installation
Var ConfigKept  ; 1 when the Config key was copied out
Var EventsKept  ; 1 when the Events key was copied out
Var NetworkKept ; 1 when the Network key was copied out
Var NetEnable   ; the /network switches' settings given on the command line ("" when not given)
Var NetListen
Var NetUpsName
Var NetMaxClients
Var NetHostSync
Var NetUser
Var NetPassword
Var NetUpsmon
Var NetActions
Var NetInstcmds
Var NetRefused  ; 1 once orvik_ups refused one of them
Var ArchiveDir  ; the statistics archive, for the uninstaller
Var FilesLeft   ; the programs the uninstaller could not delete, one a line

; The tray's mains icon (resources/make_tray_art.sh).
!define MUI_ICON "../resources/tray_mains.ico"
!define MUI_UNICON "../resources/tray_mains.ico"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "LICENSE.txt"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE FolderPageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_PAGE_CUSTOMFUNCTION_PRE un.ArchivePagePre
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_COMPONENTSPAGE_TEXT_TOP "$(UnArchiveTop)"
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Russian"
!include strings.nsh
!include folder_check.nsh

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} ProductName "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} ProductVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} FileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} FileDescription "${PRODUCT} installer"
VIAddVersionKey /LANG=${LANG_ENGLISH} CompanyName "Orvik"
VIAddVersionKey /LANG=${LANG_ENGLISH} LegalCopyright "Copyright (c) 2026 Orvik"

; The state of the service "UPS" on the stack: 0 when there is none, else SERVICE_STATUS's state
; (1 stopped, 4 running).
!macro SERVICE_STATE_FUNCTION PREFIX
Function ${PREFIX}ServiceState
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $0 0
  System::Call 'advapi32::OpenSCManagerW(p 0, p 0, i 1) p .r1'   ; SC_MANAGER_CONNECT
  ${If} $1 P<> 0
    System::Call 'advapi32::OpenServiceW(p r1, w "UPS", i 4) p .r2'   ; SERVICE_QUERY_STATUS
    ${If} $2 P<> 0
      StrCpy $0 1
      System::Call '*(i 0, i 1, i 0, i 0, i 0, i 0, i 0) p .r3'
      System::Call 'advapi32::QueryServiceStatus(p r2, p r3) i'
      System::Call '*$3(i, i .r0)'
      System::Free $3
      System::Call 'advapi32::CloseServiceHandle(p r2)'
    ${EndIf}
    System::Call 'advapi32::CloseServiceHandle(p r1)'
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro SERVICE_STATE_FUNCTION ""
!insertmacro SERVICE_STATE_FUNCTION "un."

!macro REQUIRE_ADMINISTRATOR
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONSTOP "$(NeedAdministrator)" /SD IDOK
    SetErrorLevel 5
    Quit
  ${EndIf}
!macroend

; The 64-bit registry on 64-bit Windows: the programs are 64-bit there, and so are the keys they use.
!macro USE_NATIVE_REGISTRY
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
!macroend

Function .onInit
  !insertmacro USE_NATIVE_REGISTRY
  !insertmacro REQUIRE_ADMINISTRATOR

  ; An upgrade goes where the earlier version is; a new installation into the native Program Files.
  ReadRegStr $OldDir HKLM "${UNINSTALL_KEY}" InstallLocation
  ${If} $OldDir != ""
  ${AndIfNot} ${FileExists} "$OldDir\orvik_ups.exe"
    StrCpy $OldDir ""
  ${EndIf}
  ${If} $INSTDIR == "$PROGRAMFILES\Orvik UPS"   ; not given with /D
    ${If} $OldDir != ""
      StrCpy $INSTDIR $OldDir
    ${ElseIf} ${RunningX64}
      StrCpy $INSTDIR "$PROGRAMFILES64\Orvik UPS"
    ${EndIf}
  ${EndIf}
  Call FindInstalledHost
  Call CountOneSet

  ; What the earlier installation chose is the choice of a silent upgrade that names none.
  ReadRegStr $Vendor HKLM "${CONFIG_KEY}" Vendor
  ReadRegStr $Model HKLM "${CONFIG_KEY}" Model
  ReadRegStr $Port HKLM "${SERVICE_KEY}" Port
  ReadRegStr $User HKLM "${LOGIN_KEY}" Username
  ReadRegStr $Password HKLM "${LOGIN_KEY}" Password
  ReadRegStr $0 HKLM "${RUN_KEY}" UPS_UI
  StrCpy $Tray 0
  ${If} $0 != ""
    StrCpy $Tray 1
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/VENDOR=" $0
  ${IfNot} ${Errors}
    StrCpy $Vendor $0
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/MODEL=" $0
  ${IfNot} ${Errors}
    StrCpy $Model $0
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/PORT=" $0
  ${IfNot} ${Errors}
    StrCpy $Port $0
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/USER=" $0
  ${IfNot} ${Errors}
    StrCpy $User $0
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/PASSWORD=" $0
  ${IfNot} ${Errors}
    StrCpy $Password $0
  ${EndIf}
  ; A login belongs only to a NUT server's port (a kept one too, when the port changes).
  StrCpy $0 $Port 4
  ${If} $0 != "NUT:"
    StrCpy $User ""
    StrCpy $Password ""
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/TRAY=" $0
  ${IfNot} ${Errors}
    StrCpy $Tray 0
    ${If} $0 == 1
      StrCpy $Tray 1
    ${EndIf}
  ${EndIf}

  Call ReadNetworkOptions

  ${If} ${Silent}
    ${StrStr} $0 "$Vendor$Model$Port$User$Password" '"'
    ${If} $Vendor == ""
    ${OrIf} $Model == ""
    ${OrIf} $Port == ""
    ${OrIf} $0 != ""
      SetErrorLevel 2
      Quit
    ${EndIf}
    Call CheckGivenChoice
    Pop $0
    ${If} $0 != 0
      SetErrorLevel 2
      Quit
    ${EndIf}
    Push $INSTDIR
    Call CheckFolder
    Pop $0
    ${If} $0 != ""
      SetErrorLevel 3
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

; The silent choice as `orvik_ups /install` would take it (a NUT server's address and login above
; all), asked of the bundled program before anything is installed: its exit code on the stack.
!macro GIVEN_CHOICE_LINE VAR
  StrCpy ${VAR} '/install "/vendor:$Vendor" "/model:$Model" "/port:$Port"'
  ${If} $User != ""
    StrCpy ${VAR} '${VAR} "/user:$User" "/password:$Password"'
  ${EndIf}
!macroend

Function CheckGivenChoice
  InitPluginsDir
!ifdef SET32
  ${If} ${RunningX64}
!endif
    File "/oname=$PLUGINSDIR\orvik_ups.exe" "${SET64}/orvik_ups.exe"
!ifdef SET32
  ${Else}
    File "/oname=$PLUGINSDIR\orvik_ups.exe" "${SET32}/orvik_ups.exe"
  ${EndIf}
!endif
  !insertmacro GIVEN_CHOICE_LINE $1
  ExecWait '"$PLUGINSDIR\orvik_ups.exe" $1 /check' $0
  Delete "$PLUGINSDIR\orvik_ups.exe"
  Push $0
FunctionEnd

!macro NETWORK_OPTION NAME VAR
  ClearErrors
  StrCpy ${VAR} ""
  ${GetOptions} $R0 "/${NAME}=" $0
  ${IfNot} ${Errors}
    StrCpy ${VAR} $0
  ${EndIf}
!macroend

Function ReadNetworkOptions
  ${GetParameters} $R0
  !insertmacro NETWORK_OPTION NETWORK $NetEnable
  !insertmacro NETWORK_OPTION LISTEN $NetListen
  !insertmacro NETWORK_OPTION UPSNAME $NetUpsName
  !insertmacro NETWORK_OPTION MAXCLIENTS $NetMaxClients
  !insertmacro NETWORK_OPTION HOSTSYNC $NetHostSync
  !insertmacro NETWORK_OPTION NETUSER $NetUser
  !insertmacro NETWORK_OPTION NETPASSWORD $NetPassword
  !insertmacro NETWORK_OPTION NETUPSMON $NetUpsmon
  !insertmacro NETWORK_OPTION NETACTIONS $NetActions
  !insertmacro NETWORK_OPTION NETINSTCMDS $NetInstcmds
FunctionEnd

; The program the earlier installation's service runs, when it is ours: this installer's, or one
; installed by hand with `orvik_ups /install`.
Function FindInstalledHost
  StrCpy $OldHost ""
  ${If} $OldDir != ""
    StrCpy $OldHost "$OldDir\orvik_ups.exe"
    Return
  ${EndIf}
  ReadRegStr $0 HKLM "${SERVICE_KEY}" ImagePath
  StrCpy $1 $0 1
  ${If} $1 == '"'
    StrCpy $0 $0 "" 1
    StrCpy $0 $0 -1
  ${EndIf}
  ${GetFileName} $0 $1
  ${If} $1 == "orvik_ups.exe"
  ${AndIf} ${FileExists} $0
    StrCpy $OldHost $0
  ${EndIf}
FunctionEnd

Function FolderPageLeave
  Push $INSTDIR
  Call CheckFolder
  Pop $0
  ${If} $0 != ""
    MessageBox MB_ICONSTOP $0
    Abort
  ${EndIf}
FunctionEnd

; reg.exe copies every value of a key (and its subkeys), whatever its type; RESULT becomes 1 when
; the copy was made.
!macro EXPORT_KEY KEY FILE RESULT
  StrCpy ${RESULT} 0
  Delete "$PLUGINSDIR\${FILE}"
  nsExec::Exec '"$SYSDIR\reg.exe" export "HKLM\${KEY}" "$PLUGINSDIR\${FILE}"'
  Pop $0
  ${If} $0 == 0
  ${AndIf} ${FileExists} "$PLUGINSDIR\${FILE}"
    StrCpy ${RESULT} 1
  ${EndIf}
!macroend

!macro IMPORT_KEY FILE
  nsExec::Exec '"$SYSDIR\reg.exe" import "$PLUGINSDIR\${FILE}"'
  Pop $0
  ${If} $0 != 0
    DetailPrint "$(SettingsNotRestored)"
  ${EndIf}
!macroend

Function KeepSettings
  !insertmacro EXPORT_KEY "${CONFIG_KEY}" config.reg $ConfigKept
  !insertmacro EXPORT_KEY "${EVENTS_KEY}" events.reg $EventsKept
  !insertmacro EXPORT_KEY "${NETWORK_KEY}" network.reg $NetworkKept
FunctionEnd

Function RestoreSettings
  ${If} $ConfigKept == 1
    !insertmacro IMPORT_KEY config.reg
  ${EndIf}
  ${If} $EventsKept == 1
    !insertmacro IMPORT_KEY events.reg
  ${EndIf}
  ; The copy holds passwords: it goes as soon as it is written back. The new orvik_ups /install
  ; closes the key to all but SYSTEM and the Administrators again.
  ${If} $NetworkKept == 1
    !insertmacro IMPORT_KEY network.reg
    Delete "$PLUGINSDIR\network.reg"
  ${EndIf}
  ReadRegStr $0 HKLM "${SERVICE_KEY}" Port
  ${If} $0 == ""
  ${AndIf} $Port != ""
    WriteRegStr HKLM "${SERVICE_KEY}" Port $Port
  ${EndIf}
FunctionEnd

Function RemoveEarlierInstallation
  DetailPrint "$(RemovingEarlier)"
  Call KeepSettings
  ExecWait '"$OldHost" /uninstall'
  Call ServiceState
  Pop $0
  ${If} $0 > 1
    Call RestoreSettings
    MessageBox MB_ICONSTOP "$(EarlierNotRemoved)" /SD IDOK
    SetErrorLevel 5
    Abort
  ${EndIf}
  Call RestoreSettings
FunctionEnd


; Marks a shortcut "Run as administrator": the settings stop and start the service.
Function ShortcutRunsAsAdministrator
  Exch $R0
  Push $0
  Push $1
  Push $2
  Push $3
  ; CLSID_ShellLink, IID_IShellLinkW
  System::Call 'ole32::CoCreateInstance(g "{00021401-0000-0000-C000-000000000046}", p 0, i 1, g "{000214F9-0000-0000-C000-000000000046}", *p .r0) i .r1'
  ${If} $1 = 0
    System::Call '$0->0(g "{0000010b-0000-0000-C000-000000000046}", *p .r1) i .r2'   ; IPersistFile
    ${If} $2 = 0
      System::Call '$1->5(w R0, i 0) i .r2'   ; Load
      ${If} $2 = 0
        System::Call '$0->0(g "{45e2b4ae-b1c3-11d0-b92f-00a0c90312e1}", *p .r2) i .r3'   ; IShellLinkDataList
        ${If} $3 = 0
          System::Call '$2->6(*i .r3) i'   ; GetFlags
          IntOp $3 $3 | 0x2000             ; SLDF_RUNAS_USER
          System::Call '$2->7(i r3) i'     ; SetFlags
          System::Call '$2->2()'
          System::Call '$1->6(w R0, i 1) i'   ; Save
        ${EndIf}
      ${EndIf}
      System::Call '$1->2()'
    ${EndIf}
    System::Call '$0->2()'
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
  Pop $R0
FunctionEnd

Function CreateMenuEntries
  SetShellVarContext all
  CreateDirectory "${MENU_FOLDER}"
  Delete "${MENU_FOLDER}\*.lnk"   ; an earlier installation's, perhaps in another language
  CreateShortcut "${MENU_FOLDER}\$(LinkSettings).lnk" "$INSTDIR\orvik_ups.exe" "/setup" "$INSTDIR\orvik_dll.dll" ${ICON_INDEX}
  Push "${MENU_FOLDER}\$(LinkSettings).lnk"
  Call ShortcutRunsAsAdministrator
  ; Opened by the user's tray application, so not as administrator.
  CreateShortcut "${MENU_FOLDER}\$(LinkStatistics).lnk" "$INSTDIR\orvik_ups.exe" "/statistics" "$INSTDIR\orvik_dll.dll" ${ICON_INDEX}
  CreateShortcut "${MENU_FOLDER}\$(LinkViewer).lnk" "$INSTDIR\scopeview.exe"
  CreateShortcut "${MENU_FOLDER}\$(LinkUninstall).lnk" "$INSTDIR\uninstall.exe"
FunctionEnd

Function WriteUninstallEntry
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayName "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" Publisher "Orvik"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayIcon "$INSTDIR\orvik_dll.dll,-${ICON_RESOURCE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoModify 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoRepair 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" EstimatedSize $0
FunctionEnd

; One orvik_ups /network switch (on the stack), unless one was refused before.
Function NetworkSwitch
  Exch $0
  ${If} $NetRefused == 0
    ExecWait '"$INSTDIR\orvik_ups.exe" $0' $1
    ${If} $1 != 0
      StrCpy $NetRefused 1
      DetailPrint "$(NetworkRefused)"
    ${EndIf}
  ${EndIf}
  Pop $0
FunctionEnd

!macro NETWORK_SWITCH VALUE SWITCH
  ${If} ${VALUE} != ""
    Push '${SWITCH}'
    Call NetworkSwitch
  ${EndIf}
!macroend

; The network settings given on the command line, before the service starts and reads them.
Function ApplyNetworkOptions
  StrCpy $NetRefused 0
  ${If} $NetEnable == 1
    Push /network:on
    Call NetworkSwitch
  ${ElseIf} $NetEnable != ""
    Push /network:off
    Call NetworkSwitch
  ${EndIf}
  ${WordReplace} $NetListen ";" '" "' "+" $0
  !insertmacro NETWORK_SWITCH $NetListen '/network:listen "$0"'
  !insertmacro NETWORK_SWITCH $NetUpsName '/network:upsname "$NetUpsName"'
  !insertmacro NETWORK_SWITCH $NetMaxClients '/network:maxclients $NetMaxClients'
  !insertmacro NETWORK_SWITCH $NetHostSync '/network:hostsync $NetHostSync'
  ${If} $NetUser != ""
    StrCpy $0 '/network:user "$NetUser"'
    ${If} $NetPassword != ""
      StrCpy $0 '$0 "/password:$NetPassword"'
    ${EndIf}
    ${If} $NetUpsmon != ""
      StrCpy $0 '$0 /upsmon:$NetUpsmon'
    ${EndIf}
    ${If} $NetActions != ""
      StrCpy $0 '$0 /actions:$NetActions'
    ${EndIf}
    ${If} $NetInstcmds != ""
      StrCpy $0 '$0 /instcmds:$NetInstcmds'
    ${EndIf}
    Push $0
    Call NetworkSwitch
  ${EndIf}
FunctionEnd

; `orvik_ups /install`: the setup dialog, or silently the given choice.
Function InstallService
  Call ApplyNetworkOptions
  ${If} $NetRefused == 1
    MessageBox MB_ICONSTOP "$(NetworkRefused)" /SD IDOK
    SetErrorLevel 6
    Return
  ${EndIf}
  ${If} ${Silent}
    !insertmacro GIVEN_CHOICE_LINE $1
    StrCpy $0 '"$INSTDIR\orvik_ups.exe" $1'
    ${If} $Tray == 1
      StrCpy $0 "$0 /tray"
    ${EndIf}
    ExecWait $0 $1
    ${If} $1 == 1
    ${OrIf} $1 == 2
      SetErrorLevel 2
    ${ElseIf} $1 != 0
      SetErrorLevel 4
    ${EndIf}
    Return
  ${EndIf}
  DetailPrint "$(ChooseUps)"
  ExecWait '"$INSTDIR\orvik_ups.exe" /install'
  ; Before Vista the system's own UPS service is configured in Power Options instead.
  ${If} ${AtLeastWinVista}
    Call ServiceState
    Pop $0
    ${If} $0 != 4
      MessageBox MB_ICONEXCLAMATION "$(ServiceNotRunning)"
    ${EndIf}
  ${EndIf}
FunctionEnd

; Inline in the section, so that the directory page counts the space the files need.
!macro COPY_FILES
  SetOutPath "$INSTDIR"
  SetOverwrite on
!ifdef SET32
  ${If} ${RunningX64}
!endif
    File "${SET64}/orvik_ups.exe"
    File "${SET64}/orvik_dll.dll"
    File "${SET64}/scopeview.exe"
!ifdef SET32
  ${Else}
    File "${SET32}/orvik_ups.exe"
    File "${SET32}/orvik_dll.dll"
    File "${SET32}/scopeview.exe"
  ${EndIf}
!endif
  File "LICENSE.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; An upgrade into another folder leaves nothing of the earlier one behind.
  ${If} $OldDir != ""
  ${AndIf} $OldDir != $INSTDIR
    Delete /REBOOTOK "$OldDir\orvik_ups.exe"
    Delete /REBOOTOK "$OldDir\orvik_dll.dll"
    Delete /REBOOTOK "$OldDir\scopeview.exe"
    Delete "$OldDir\LICENSE.txt"
    Delete "$OldDir\uninstall.exe"
    RMDir /REBOOTOK "$OldDir"
  ${EndIf}
!macroend

; The folder's own owner and list, once it exists: someone may have made it first, between the check
; of the folder page (or of a silent start) and now, with rights of their own choosing.
Function CheckMadeFolder
  CreateDirectory "$INSTDIR"
  Push $INSTDIR
  Call CheckFolder
  Pop $0
  ${If} $0 != ""
    RMDir "$INSTDIR"   ; only when empty: what another account put there stays
    MessageBox MB_ICONSTOP $0 /SD IDOK
    SetErrorLevel 3
    Abort
  ${EndIf}
FunctionEnd

Section "-Orvik UPS monitor" SecMain
  InitPluginsDir
  Call CheckMadeFolder
  ${If} $OldHost != ""
    Call RemoveEarlierInstallation
  ${EndIf}
  !insertmacro COPY_FILES
  Call WriteUninstallEntry
  Call CreateMenuEntries
  Call InstallService
SectionEnd

; The section holds both sets; the directory page should count only the one this system gets.
Function CountOneSet
!ifdef SET32
  ${If} ${RunningX64}
    SectionSetSize ${SecMain} ${SIZE64}
  ${Else}
    SectionSetSize ${SecMain} ${SIZE32}
  ${EndIf}
!endif
FunctionEnd

; The uninstaller.

; `orvik_ups /uninstall` has waited for the service's process and the trays to end; a program still in
; use (the library held by a reader of the performance counters, the viewer left open, a process that
; would not end) goes at the next restart, and the uninstaller says which.
!macro DELETE_PROGRAM NAME
  Delete /REBOOTOK "$INSTDIR\${NAME}"
  ${If} ${FileExists} "$INSTDIR\${NAME}"
    DetailPrint "$(FileLeftForRestart)$INSTDIR\${NAME}"
    StrCpy $FilesLeft "$FilesLeft$\r$\n$INSTDIR\${NAME}"
  ${EndIf}
!macroend

Section "un.Program" SecProgram
  SectionIn RO
  ${If} ${FileExists} "$INSTDIR\orvik_ups.exe"
    DetailPrint "$(StoppingService)"
    ExecWait '"$INSTDIR\orvik_ups.exe" /uninstall'
  ${EndIf}
  Call un.ServiceState
  Pop $0
  ${If} $0 > 1
    MessageBox MB_ICONSTOP "$(ServiceStillRunning)" /SD IDOK
    SetErrorLevel 4
    Abort
  ${EndIf}
  StrCpy $FilesLeft ""
  !insertmacro DELETE_PROGRAM orvik_ups.exe
  !insertmacro DELETE_PROGRAM orvik_dll.dll
  !insertmacro DELETE_PROGRAM scopeview.exe
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir /REBOOTOK "$INSTDIR"
  ${If} $FilesLeft != ""
    MessageBox MB_ICONEXCLAMATION "$(FilesLeftForRestart)$FilesLeft" /SD IDOK
    SetErrorLevel 3010   ; ERROR_SUCCESS_REBOOT_REQUIRED
  ${EndIf}
  SetShellVarContext all
  Delete "${MENU_FOLDER}\*.lnk"
  RMDir "${MENU_FOLDER}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; `orvik_ups /uninstall` removed it, unless that program was already gone.
  DeleteRegKey HKLM "${EVENT_SOURCE_KEY}"
SectionEnd

; A folder that is a link (a junction, a symbolic link) on the stack: 1, else 0.
Function un.IsLink
  Exch $0
  System::Call 'kernel32::GetFileAttributesW(w r0) i .r0'
  ${If} $0 <> -1
    IntOp $0 $0 & 0x400   ; FILE_ATTRIBUTE_REPARSE_POINT
  ${Else}
    StrCpy $0 0
  ${EndIf}
  ${If} $0 <> 0
    StrCpy $0 1
  ${EndIf}
  Exch $0
FunctionEnd

; The month folders of one year folder ($R1), their files and the year's summary.
Function un.RemoveArchiveYear
  ${For} $R2 1 12
    Push "$ArchiveDir\$R1\$R2"
    Call un.IsLink
    Pop $R3
    ${If} $R3 = 0
      Delete "$ArchiveDir\$R1\$R2\*_ssd.dat"
      Delete "$ArchiveDir\$R1\$R2\*_raw.dat"
      Delete "$ArchiveDir\$R1\$R2\*_log.dat"
      RMDir "$ArchiveDir\$R1\$R2"
    ${EndIf}
  ${Next}
  Delete "$ArchiveDir\$R1\sum_ssd.dat"
  RMDir "$ArchiveDir\$R1"
FunctionEnd

; Only the archive's own files: its root may be a folder that holds other things too. Never through
; a link: another user may have put one at the root, a year or a month to point elsewhere.
Section /o "un.Archive" SecArchive
  ${If} $ArchiveDir == ""
    Return
  ${EndIf}
  DetailPrint "$(RemovingArchive)"
  Push $ArchiveDir
  Call un.IsLink
  Pop $R3
  ${If} $R3 = 1
    DetailPrint "$(ArchiveIsLink)"
    Return
  ${EndIf}
  FindFirst $0 $R1 "$ArchiveDir\*"
  ${DoWhile} $R1 != ""
    IntOp $2 $R1 + 0
    Push "$ArchiveDir\$R1"
    Call un.IsLink
    Pop $R3
    ${If} "$2" == "$R1"
    ${AndIf} $2 >= 1970
    ${AndIf} $R3 = 0
    ${AndIf} ${FileExists} "$ArchiveDir\$R1\*.*"
      Call un.RemoveArchiveYear
    ${EndIf}
    FindNext $0 $R1
  ${Loop}
  FindClose $0
  Delete "$ArchiveDir\sum_ssd.dat"
  RMDir "$ArchiveDir"
SectionEnd

Function un.onInit
  !insertmacro USE_NATIVE_REGISTRY
  !insertmacro REQUIRE_ADMINISTRATOR
  SectionSetText ${SecProgram} "$(UnProgram)"
  ; The archive's root, read now: removing the service removes the key that names it.
  ReadRegStr $ArchiveDir HKLM "${CONFIG_KEY}" stat_path
  ${If} $ArchiveDir != ""
  ${AndIf} ${FileExists} "$ArchiveDir\*.*"
    SectionSetText ${SecArchive} "$(UnArchive)"
    ; Unattended removal of the archive too: /ARCHIVE=1.
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/ARCHIVE=" $0
    ${IfNot} ${Errors}
    ${AndIf} $0 == 1
      SectionSetFlags ${SecArchive} ${SF_SELECTED}
    ${EndIf}
  ${Else}
    StrCpy $ArchiveDir ""
    SectionSetText ${SecArchive} ""
  ${EndIf}
FunctionEnd

Function un.ArchivePagePre
  ${If} $ArchiveDir == ""
    Abort
  ${EndIf}
FunctionEnd

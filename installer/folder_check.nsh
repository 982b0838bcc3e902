; folder_check.nsh: whether only administrators can change the installation folder.
;
; The service runs as SYSTEM and loads orvik_dll.dll from this folder (and, by the system's search
; order, any DLL of a system name planted beside it): a folder an ordinary user can write to would
; give that user the machine. So the folder's access list, or for a folder still to be made the
; entries of its nearest existing parent that it will inherit, may give write rights only to
; SYSTEM, Administrators, TrustedInstaller, the creator-owner placeholder and the administrator
; who installs; the owner of an existing folder must be one of them as well. Deny entries are not
; weighed: a list that needs them to be safe is refused. Network folders are refused outright:
; the service's machine account sees another share than the administrator does.
;
;   Push FOLDER
;   Call CheckFolder
;   Pop RESULT        ; "" when safe, otherwise the reason for the administrator

!include LogicLib.nsh
!include FileFunc.nsh
!include StrFunc.nsh
${StrStr}

; write data or add file, append or add folder, delete child, delete, write DAC, write owner,
; generic all, generic write
!define FOLDER_WRITE_RIGHTS 0x500D0046
!define FOLDER_TRUSTED_SIDS "|S-1-5-18|S-1-5-32-544|S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464|S-1-3-0|"

Var FolderWho   ; the account that may write there, for the message

; SID pointer on the stack -> its text form ("S-1-5-32-545"), "" when it cannot be converted.
Function SidText
  Exch $0
  Push $1
  Push $2
  System::Call 'advapi32::ConvertSidToStringSidW(p r0, *p .r1) i .r2'
  StrCpy $0 ""
  ${If} $2 <> 0
    System::Call 'kernel32::lstrcpynW(w .r0, p r1, i ${NSIS_MAX_STRLEN})'
    System::Call 'kernel32::LocalFree(p r1)'
  ${EndIf}
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; SID pointer on the stack -> "DOMAIN\name", or the SID's text when the account is unknown.
Function SidAccount
  Exch $0
  Push $1
  Push $2
  Push $3
  System::Call 'advapi32::LookupAccountSidW(p 0, p r0, w .r1, *i ${NSIS_MAX_STRLEN}, w .r2, *i ${NSIS_MAX_STRLEN}, *i .r3) i .r3'
  ${If} $3 <> 0
    ${If} $2 != ""
      StrCpy $1 "$2\$1"
    ${EndIf}
  ${Else}
    Push $0
    Call SidText
    Pop $1
  ${EndIf}
  StrCpy $0 $1
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; The SIDs that may write, as "|S-…|S-…|": the fixed ones and the installing administrator.
Function TrustedSids
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $3 "${FOLDER_TRUSTED_SIDS}"
  System::Call 'advapi32::OpenProcessToken(p -1, i 8, *p .r0) i .r1'   ; TOKEN_QUERY
  ${If} $1 <> 0
    System::Call 'advapi32::GetTokenInformation(p r0, i 1, p 0, i 0, *i .r1)'   ; TokenUser: its size
    System::Alloc $1
    Pop $2
    System::Call 'advapi32::GetTokenInformation(p r0, i 1, p r2, i r1, *i .r1) i .r1'
    ${If} $1 <> 0
      System::Call '*$2(p .r1)'
      Push $1
      Call SidText
      Pop $1
      StrCpy $3 "$3$1|"
    ${EndIf}
    System::Free $2
    System::Call 'kernel32::CloseHandle(p r0)'
  ${EndIf}
  StrCpy $0 $3
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

Function CheckFolder
  Exch $R0          ; the folder; then the result
  Push $R1
  Push $R2
  Push $R3
  Push $R4
  Push $R5
  Push $R6
  Push $R7
  Push $R8
  Push $R9
  Push $0
  Push $1
  Push $2
  Push $3

  StrCpy $R1 $R0 1 -1
  ${If} $R1 == "\"
    StrCpy $R0 $R0 -1
  ${EndIf}
  StrCpy $R1 $R0 2
  StrCpy $R2 $R0 3
  System::Call 'kernel32::GetDriveTypeW(w R2) i .R3'
  ${If} $R1 == "\\"
  ${OrIf} $R3 = 4   ; DRIVE_REMOTE
    StrCpy $R0 "$(FolderNetwork)"
    Goto done
  ${EndIf}

  ; The nearest folder that exists: the folder itself ($R3 = 1) or the parent it will inherit from.
  StrCpy $R1 $R0
  StrCpy $R3 1
  ${DoUntil} ${FileExists} "$R1\*.*"
    ${GetParent} $R1 $R1
    StrCpy $R3 0
    ${If} $R1 == ""
      StrCpy $R0 "$(FolderUnreadable)"
      Goto done
    ${EndIf}
  ${Loop}

  Call TrustedSids
  Pop $R8

  ; OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION of a file object
  System::Call 'advapi32::GetNamedSecurityInfoW(w R1, i 1, i 5, *p .R4, p 0, *p .R5, p 0, *p .R6) i .R2'
  ${If} $R2 <> 0
    StrCpy $R0 "$(FolderUnreadable)"
    Goto done
  ${EndIf}
  StrCpy $R0 ""
  ${If} $R5 P= 0
    ; no access list at all: everyone may do everything
    StrCpy $FolderWho "Everyone"
    StrCpy $R0 "$(FolderWritable)"
  ${EndIf}
  ${If} $R0 == ""
  ${AndIf} $R3 = 1
    Push $R4
    Call SidText
    Pop $0
    ${StrStr} $1 $R8 "|$0|"
    ${If} $1 == ""
      Push $R4
      Call SidAccount
      Pop $FolderWho
      StrCpy $R0 "$(FolderWritable)"
    ${EndIf}
  ${EndIf}
  ${If} $R0 == ""
    System::Call '*$R5(&i1, &i1, &i2, &i2 .R7)'   ; the ACL header's entry count
    StrCpy $R9 0
    ${DoWhile} $R9 < $R7
      System::Call 'advapi32::GetAce(p R5, i R9, *p .r0) i .r1'
      IntOp $R9 $R9 + 1
      ${If} $1 = 0
        ${Continue}
      ${EndIf}
      System::Call '*$0(&i1 .r1, &i1 .r2, &i2, i .r3)'   ; type, flags, mask
      ; a folder still to be made gets only the entries marked for inheritance (object or container)
      IntOp $2 $2 & 3
      ${If} $R3 = 0
      ${AndIf} $2 = 0
        ${Continue}
      ${EndIf}
      IntOp $3 $3 & ${FOLDER_WRITE_RIGHTS}
      ${If} $3 = 0
        ${Continue}
      ${EndIf}
      ${If} $1 = 0      ; ACCESS_ALLOWED_ACE
      ${OrIf} $1 = 9    ; ACCESS_ALLOWED_CALLBACK_ACE: the same layout, the SID after the mask
        IntPtrOp $0 $0 + 8
        Push $0
        Call SidText
        Pop $1
        ${StrStr} $2 $R8 "|$1|"
        ${If} $2 == ""
          Push $0
          Call SidAccount
          Pop $FolderWho
          StrCpy $R0 "$(FolderWritable)"
          ${Break}
        ${EndIf}
      ${ElseIf} $1 = 5  ; object entries that allow: not expected on files, so not trusted either
      ${OrIf} $1 = 11
        StrCpy $FolderWho "?"
        StrCpy $R0 "$(FolderWritable)"
        ${Break}
      ${EndIf}
    ${Loop}
  ${EndIf}
  System::Call 'kernel32::LocalFree(p R6)'

  done:
  Pop $3
  Pop $2
  Pop $1
  Pop $0
  Pop $R9
  Pop $R8
  Pop $R7
  Pop $R6
  Pop $R5
  Pop $R4
  Pop $R3
  Pop $R2
  Pop $R1
  Exch $R0
FunctionEnd

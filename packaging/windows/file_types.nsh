; Explorer's ways into the window program, machine-wide (the installer runs
; elevated), and their removal. Included by CPack's installer script; the
; two macros run at the end of the installation and at the start of the
; uninstallation.
;   - device files (.zbx): the class Tessaline.ZrbPoints with two verbs,
;     "open" (convert; the default verb, and the one Wine's start asks for
;     by name) and "gpx" (write GPX); it becomes the default of .zbx only
;     when no other program owns the extension, and is always in its
;     "Open with" list;
;   - .gpx, .kml, .kmz and .txt: Tessaline in their "Open with" list,
;     nothing more;
;   - two shortcuts in the installing user's Send to folder (Send to is per
;     user: the folder is kept in the uninstall entry, so that whoever
;     uninstalls removes these two and no other).
; Uninstalling removes only what these macros added: a default of .zbx that
; another program set, and extension keys holding anything else, stay.

!include LogicLib.nsh

!define TESSALINE_CLASSES "Software\Classes"
!define TESSALINE_PROGID "Tessaline.ZrbPoints"
!define TESSALINE_APPLICATION "Applications\tessaline.exe"
!define TESSALINE_EXE "$INSTDIR\bin\tessaline.exe"

; Tells Explorer that file associations changed, so that icons and menus
; follow without a restart.
!macro TessalineAnnounceAssociations
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
!macroend

; Deletes a key of HKLM that holds nothing: no subkey, no default value, no
; named value. (DeleteRegKey /ifempty looks at subkeys only.)
!macro TessalineDeleteKeyIfEmpty key
  ClearErrors
  EnumRegKey $R7 HKLM "${key}" 0
  ${IfNot} ${Errors}
  ${AndIf} $R7 == ""
    EnumRegValue $R8 HKLM "${key}" 0
    ClearErrors
    ReadRegStr $R9 HKLM "${key}" ""
    ${If} ${Errors}
    ${AndIf} $R8 == ""
      DeleteRegKey /ifempty HKLM "${key}"
    ${EndIf}
  ${EndIf}
!macroend

!macro TessalineAddFileTypes
  ; The class of device files and its verbs.
  WriteRegStr HKLM "${TESSALINE_CLASSES}\${TESSALINE_PROGID}" "" "Fichier de points ZRB"
  WriteRegStr HKLM "${TESSALINE_CLASSES}\${TESSALINE_PROGID}\DefaultIcon" "" "${TESSALINE_EXE},0"
  WriteRegStr HKLM "${TESSALINE_CLASSES}\${TESSALINE_PROGID}\shell" "" "open"
  WriteRegStr HKLM "${TESSALINE_CLASSES}\${TESSALINE_PROGID}\shell\open" "" "Convertir avec Tessaline"
  WriteRegStr HKLM "${TESSALINE_CLASSES}\${TESSALINE_PROGID}\shell\open\command" "" '"${TESSALINE_EXE}" "%1"'
  WriteRegStr HKLM "${TESSALINE_CLASSES}\${TESSALINE_PROGID}\shell\gpx" "" "Convertir en GPX avec Tessaline"
  WriteRegStr HKLM "${TESSALINE_CLASSES}\${TESSALINE_PROGID}\shell\gpx\command" "" '"${TESSALINE_EXE}" --gpx "%1"'

  ; .zbx: the default only where nobody else has it (HKCR sees both the
  ; machine's and the user's classes).
  ClearErrors
  ReadRegStr $R0 HKCR ".zbx" ""
  ${If} $R0 == ""
    WriteRegStr HKLM "${TESSALINE_CLASSES}\.zbx" "" "${TESSALINE_PROGID}"
  ${EndIf}
  WriteRegStr HKLM "${TESSALINE_CLASSES}\.zbx\OpenWithProgids" "${TESSALINE_PROGID}" ""

  ; The program itself, as "Open with" shows it for .gpx, .kml, .kmz and .txt.
  WriteRegStr HKLM "${TESSALINE_CLASSES}\${TESSALINE_APPLICATION}" "FriendlyAppName" "Tessaline Pro"
  WriteRegStr HKLM "${TESSALINE_CLASSES}\${TESSALINE_APPLICATION}\shell\open" "" "Convertir avec Tessaline"
  WriteRegStr HKLM "${TESSALINE_CLASSES}\${TESSALINE_APPLICATION}\shell\open\command" "" '"${TESSALINE_EXE}" "%1"'
  WriteRegStr HKLM "${TESSALINE_CLASSES}\${TESSALINE_APPLICATION}\SupportedTypes" ".zbx" ""
  WriteRegStr HKLM "${TESSALINE_CLASSES}\${TESSALINE_APPLICATION}\SupportedTypes" ".gpx" ""
  WriteRegStr HKLM "${TESSALINE_CLASSES}\${TESSALINE_APPLICATION}\SupportedTypes" ".kml" ""
  WriteRegStr HKLM "${TESSALINE_CLASSES}\${TESSALINE_APPLICATION}\SupportedTypes" ".kmz" ""
  WriteRegStr HKLM "${TESSALINE_CLASSES}\${TESSALINE_APPLICATION}\SupportedTypes" ".txt" ""
  WriteRegStr HKLM "${TESSALINE_CLASSES}\.gpx\OpenWithList\tessaline.exe" "" ""
  WriteRegStr HKLM "${TESSALINE_CLASSES}\.kml\OpenWithList\tessaline.exe" "" ""
  WriteRegStr HKLM "${TESSALINE_CLASSES}\.kmz\OpenWithList\tessaline.exe" "" ""
  WriteRegStr HKLM "${TESSALINE_CLASSES}\.txt\OpenWithList\tessaline.exe" "" ""

  ; Send to, in the installing user's own folder.
  CreateShortCut "$SENDTO\Tessaline Pro.lnk" "${TESSALINE_EXE}" "" "${TESSALINE_EXE}" 0
  CreateShortCut "$SENDTO\Tessaline Pro (GPX).lnk" "${TESSALINE_EXE}" "--gpx" "${TESSALINE_EXE}" 0
  WriteRegStr HKLM "${TESSALINE_UNINSTALL_KEY}" "SendToFolder" "$SENDTO"

  !insertmacro TessalineAnnounceAssociations
!macroend

!macro TessalineRemoveFileTypes
  DeleteRegKey HKLM "${TESSALINE_CLASSES}\${TESSALINE_PROGID}"
  DeleteRegKey HKLM "${TESSALINE_CLASSES}\${TESSALINE_APPLICATION}"

  DeleteRegValue HKLM "${TESSALINE_CLASSES}\.zbx\OpenWithProgids" "${TESSALINE_PROGID}"
  ReadRegStr $R0 HKLM "${TESSALINE_CLASSES}\.zbx" ""
  ${If} $R0 == "${TESSALINE_PROGID}"
    DeleteRegValue HKLM "${TESSALINE_CLASSES}\.zbx" ""
  ${EndIf}
  !insertmacro TessalineDeleteKeyIfEmpty "${TESSALINE_CLASSES}\.zbx\OpenWithProgids"
  !insertmacro TessalineDeleteKeyIfEmpty "${TESSALINE_CLASSES}\.zbx"

  DeleteRegKey HKLM "${TESSALINE_CLASSES}\.gpx\OpenWithList\tessaline.exe"
  !insertmacro TessalineDeleteKeyIfEmpty "${TESSALINE_CLASSES}\.gpx\OpenWithList"
  !insertmacro TessalineDeleteKeyIfEmpty "${TESSALINE_CLASSES}\.gpx"
  DeleteRegKey HKLM "${TESSALINE_CLASSES}\.kml\OpenWithList\tessaline.exe"
  !insertmacro TessalineDeleteKeyIfEmpty "${TESSALINE_CLASSES}\.kml\OpenWithList"
  !insertmacro TessalineDeleteKeyIfEmpty "${TESSALINE_CLASSES}\.kml"
  DeleteRegKey HKLM "${TESSALINE_CLASSES}\.kmz\OpenWithList\tessaline.exe"
  !insertmacro TessalineDeleteKeyIfEmpty "${TESSALINE_CLASSES}\.kmz\OpenWithList"
  !insertmacro TessalineDeleteKeyIfEmpty "${TESSALINE_CLASSES}\.kmz"
  DeleteRegKey HKLM "${TESSALINE_CLASSES}\.txt\OpenWithList\tessaline.exe"
  !insertmacro TessalineDeleteKeyIfEmpty "${TESSALINE_CLASSES}\.txt\OpenWithList"
  !insertmacro TessalineDeleteKeyIfEmpty "${TESSALINE_CLASSES}\.txt"

  ; The shortcuts where they were made, even when another administrator
  ; uninstalls; $SENDTO is that user's own folder otherwise.
  ReadRegStr $R0 HKLM "${TESSALINE_UNINSTALL_KEY}" "SendToFolder"
  ${If} $R0 == ""
    StrCpy $R0 "$SENDTO"
  ${EndIf}
  Delete "$R0\Tessaline Pro.lnk"
  Delete "$R0\Tessaline Pro (GPX).lnk"

  !insertmacro TessalineAnnounceAssociations
!macroend

# The Windows release, included by cmake/Install.cmake in a WIN32 build:
#   - a version resource in tessaline-convert.exe, from the generated
#     product.h (tessaline_version_resource() for any other program);
#   - what a user gets: the programs, the examples, a French/English read-me,
#     the licence and the notices of what the programs link statically;
#   - CPack: the NSIS installer from a build configured with
#     -DTESSALINE_INSTALLED_LAYOUT=ON, in French, the zip from a portable
#     build.
# The staging-store rule is compiled into the programs, so the two packages
# come from two builds (scripts/windows-release.sh makes both).
#
# TESSALINE_WINDOWS_ICON may name an .ico file (scripts/release.sh renders
# one from the program's artwork): the installer, its uninstaller and the
# uninstall entry then show it.

set(_windows_source ${_packaging_source}/windows)
set(_windows_binary ${_packaging_binary}/windows)
set(TESSALINE_WINDOWS_ICON "" CACHE FILEPATH "Icon of the Windows installer and uninstall entry (.ico)")

# --- Version resource ---------------------------------------------------------
enable_language(RC)
function(tessaline_version_resource target description)
  set(TESSALINE_FILE_NAME ${target})
  set(TESSALINE_FILE_DESCRIPTION ${description})
  configure_file(${_windows_source}/version.rc.in ${_windows_binary}/${target}_version.rc @ONLY)
  target_sources(${target} PRIVATE ${_windows_binary}/${target}_version.rc)
endfunction()
tessaline_version_resource(tessaline-convert "Tessaline Pro - convertisseur en ligne de commande")

# --- What the packages hold -------------------------------------------------
# The installer puts the programs in bin\, the only folder it may add to
# PATH (not the uninstaller beside them); the zip keeps them at the top of
# its folder, where a user looks first.
if(TESSALINE_INSTALLED_LAYOUT)
  set(_programs bin)
else()
  set(_programs .)
endif()
install(TARGETS tessaline-convert RUNTIME DESTINATION ${_programs})
if(TARGET tessaline)
  install(TARGETS tessaline RUNTIME DESTINATION ${_programs})
endif()

# Texts with Windows line ends, so that Notepad of any age shows them. The
# licences are copied byte for byte otherwise (their addresses hold "@").
configure_file(${_windows_source}/LISEZMOI.txt.in ${_windows_binary}/LISEZMOI.txt @ONLY NEWLINE_STYLE CRLF)
function(tessaline_windows_text source output)
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  file(READ ${source} _text)
  string(REPLACE "\r\n" "\n" _text "${_text}")
  string(REPLACE "\n" "\r\n" _text "${_text}")
  file(WRITE ${output}.new "${_text}")
  file(COPY_FILE ${output}.new ${output} ONLY_IF_DIFFERENT)
  file(REMOVE ${output}.new)
endfunction()
tessaline_windows_text(${PROJECT_SOURCE_DIR}/LICENSE ${_windows_binary}/LICENSE.txt)
file(GLOB _notices CONFIGURE_DEPENDS ${_windows_source}/notices/*.txt)
set(_notice_copies "")
foreach(_notice IN LISTS _notices)
  get_filename_component(_name ${_notice} NAME)
  tessaline_windows_text(${_notice} ${_windows_binary}/licenses/${_name})
  list(APPEND _notice_copies ${_windows_binary}/licenses/${_name})
endforeach()
install(FILES ${_windows_binary}/LISEZMOI.txt ${_windows_binary}/LICENSE.txt DESTINATION .)
install(FILES ${_notice_copies} DESTINATION licenses)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION examples)
if(TESSALINE_WINDOWS_ICON AND TESSALINE_INSTALLED_LAYOUT)
  install(FILES ${TESSALINE_WINDOWS_ICON} DESTINATION . RENAME tessaline.ico)  # for the uninstall entry
endif()

# --- CPack ------------------------------------------------------------------
set(CPACK_PACKAGE_NAME Tessaline)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR ${TESSALINE_PUBLISHER})
set(CPACK_PACKAGE_CONTACT ${TESSALINE_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Convertisseur de fichiers de navigation marine ZRB <-> Vestamar")
# One folder, one uninstall entry and one Start-menu folder whatever the
# version, so that a newer installer replaces an older one (CPack's
# defaults would name all three after the version).
set(CPACK_PACKAGE_INSTALL_DIRECTORY Tessaline)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Tessaline)
set(CPACK_NSIS_PACKAGE_NAME ${TESSALINE_PRODUCT_NAME})
set(CPACK_NSIS_DISPLAY_NAME Tessaline)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MODIFY_PATH ON)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY bin)
set(CPACK_NSIS_CONTACT ${TESSALINE_CONTACT_ADDRESS})
set(CPACK_NSIS_URL_INFO_ABOUT ${TESSALINE_HOMEPAGE})
set(CPACK_RESOURCE_FILE_LICENSE ${_windows_binary}/LICENSE.txt)
if(TARGET tessaline)
  set(CPACK_PACKAGE_EXECUTABLES tessaline ${TESSALINE_PRODUCT_NAME})
  set(CPACK_CREATE_DESKTOP_LINKS tessaline)  # when the user ticks the box
  set(CPACK_NSIS_INSTALLED_ICON_NAME bin\\tessaline.exe)
else()
  set(CPACK_NSIS_INSTALLED_ICON_NAME bin\\tessaline-convert.exe)
endif()
if(TESSALINE_WINDOWS_ICON AND TESSALINE_INSTALLED_LAYOUT)
  set(CPACK_NSIS_MUI_ICON ${TESSALINE_WINDOWS_ICON})
  set(CPACK_NSIS_MUI_UNIICON ${TESSALINE_WINDOWS_ICON})
  set(CPACK_NSIS_INSTALLED_ICON_NAME tessaline.ico)
endif()
# A 64-bit installer and uninstaller (the stubs of Debian's nsis package),
# and the size Windows shows in its list of programs, which CPack's script
# does not write.
set(CPACK_NSIS_DEFINES "Target amd64-unicode\n  !include FileFunc.nsh")
set(_size_commands [[
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD SHCTX "Software\Microsoft\Windows\CurrentVersion\Uninstall\@KEY@" "EstimatedSize" "$0"
]])
string(REPLACE "@KEY@" ${CPACK_PACKAGE_INSTALL_REGISTRY_KEY} CPACK_NSIS_EXTRA_INSTALL_COMMANDS "${_size_commands}")
# The window program opens device files from Explorer (double-click, Open
# with, Send to): packaging/windows/file_types.nsh adds and removes the keys
# and shortcuts.
if(TARGET tessaline)
  string(APPEND CPACK_NSIS_DEFINES "\n  !define TESSALINE_UNINSTALL_KEY \"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\${CPACK_PACKAGE_INSTALL_REGISTRY_KEY}\""
         "\n  !include \"${_windows_source}/file_types.nsh\"")
  string(APPEND CPACK_NSIS_EXTRA_INSTALL_COMMANDS "\n  !insertmacro TessalineAddFileTypes\n")
  set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "  !insertmacro TessalineRemoveFileTypes\n")
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_windows_source}/file_types.nsh)
endif()
# The NSIS texts above ($INSTDIR, ${GetSize}) reach the script as written.
set(CPACK_VERBATIM_VARIABLES ON)

set(CPACK_STRIP_FILES ON)
# The program speaks French: CPack's installer script and its options page,
# taken from this CMake, with their own English texts in French and French
# as the language of the standard pages when Windows asks for none of
# theirs. (The options page is read as ANSI text: no accents there.)
set(_nsis_internal ${CMAKE_ROOT}/Modules/Internal/CPack)
file(READ ${_nsis_internal}/NSIS.template.in _script)
file(READ ${_nsis_internal}/NSIS.InstallOptions.ini.in _options)
function(tessaline_nsis_text text english french)
  string(FIND "${${text}}" "${english}" _found)
  if(_found EQUAL -1)
    message(WARNING "CPack's installer script has changed: this text stays English: ${english}")
  endif()
  string(REPLACE "${english}" "${french}" _replaced "${${text}}")
  set(${text} "${_replaced}" PARENT_SCOPE)
endfunction()
tessaline_nsis_text(_script [[  !insertmacro MUI_LANGUAGE "French"
]] "")
tessaline_nsis_text(_script [[!insertmacro MUI_LANGUAGE "English" ;first language is the default language]]
  [[!insertmacro MUI_LANGUAGE "French" ;first language is the default language
  !insertmacro MUI_LANGUAGE "English"]])
tessaline_nsis_text(_script [["Install Options" "Choose options for installing]]
  [["Options d'installation" "Choisissez les options d'installation de]])
tessaline_nsis_text(_script
  [[is already installed. $\n$\nDo you want to uninstall the old version before installing the new one?]]
  [[est déjà installé. $\n$\nDésinstaller l'ancienne version avant d'installer la nouvelle ?]])
tessaline_nsis_text(_script [["Uninstall failed."]] [["La désinstallation a échoué."]])
tessaline_nsis_text(_script [[\Uninstall.lnk"]] [[\Désinstaller.lnk"]])
tessaline_nsis_text(_options
  [[By default @CPACK_PACKAGE_INSTALL_DIRECTORY@ does not add its directory to the system PATH.]]
  [[@CPACK_PACKAGE_NAME@ ne met ses programmes dans le PATH que si vous le demandez ici.]])
tessaline_nsis_text(_options [[Do not add @CPACK_PACKAGE_NAME@ to the system PATH]]
  [[Ne pas ajouter @CPACK_PACKAGE_NAME@ au PATH]])
tessaline_nsis_text(_options [[Add @CPACK_PACKAGE_NAME@ to the system PATH for all users]]
  [[Ajouter @CPACK_PACKAGE_NAME@ au PATH de tous les utilisateurs]])
tessaline_nsis_text(_options [[Add @CPACK_PACKAGE_NAME@ to the system PATH for current user]]
  [[Ajouter @CPACK_PACKAGE_NAME@ au PATH de l'utilisateur actuel]])
tessaline_nsis_text(_options [[Create @CPACK_PACKAGE_NAME@ Desktop Icon]] [[Mettre un raccourci sur le Bureau]])
set(_nsis_templates ${_windows_binary}/nsis)
foreach(_template script:NSIS.template.in options:NSIS.InstallOptions.ini.in)
  string(REPLACE ":" ";" _template ${_template})
  list(GET _template 0 _variable)
  list(GET _template 1 _name)
  file(WRITE ${_nsis_templates}/${_name}.new "${_${_variable}}")
  file(COPY_FILE ${_nsis_templates}/${_name}.new ${_nsis_templates}/${_name} ONLY_IF_DIFFERENT)
  file(REMOVE ${_nsis_templates}/${_name}.new)
endforeach()
set(CPACK_MODULE_PATH ${_nsis_templates})

set(CPACK_PACKAGE_FILE_NAME tessaline-${PROJECT_VERSION}-win64)
if(TESSALINE_INSTALLED_LAYOUT)
  set(CPACK_GENERATOR NSIS)
  set(TESSALINE_PACKAGE_INSTALLED_LAYOUT yes)
else()
  set(CPACK_GENERATOR ZIP)
  set(TESSALINE_PACKAGE_INSTALLED_LAYOUT no)
endif()
configure_file(${_windows_source}/cpack_windows_config.cmake.in
               ${_windows_binary}/cpack_windows_config.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${_windows_binary}/cpack_windows_config.cmake)
include(CPack)

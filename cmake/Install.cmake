# Installation and the release packages. Included from the top level after
# src/, where the targets live:
#   include(cmake/Install.cmake)
# Linux: both programs into bin/, the desktop entry, the icon in the hicolor
# theme (rendered from the program's own artwork at build time), a manual
# page for each program, the licence, the changelog, the software-centre
# entry, and CPack's DEB generator. Windows: cmake/WindowsPackage.cmake.
include(GNUInstallDirs)
set(_packaging_source ${PROJECT_SOURCE_DIR}/packaging)
set(_packaging_binary ${PROJECT_BINARY_DIR}/packaging)

# Who answers for the packages, in the Debian control file, the copyright
# file, the changelog, the software-centre entry and the Windows uninstall
# entry.
set(TESSALINE_CONTACT_ADDRESS "maintainers@tessaline.example")
set(TESSALINE_CONTACT "Tessaline maintainers <${TESSALINE_CONTACT_ADDRESS}>")
set(TESSALINE_HOMEPAGE "https://tessaline.example/")
set(TESSALINE_PUBLISHER "The Tessaline developers")
# The release date: today, or the day SOURCE_DATE_EPOCH names (scripts/
# release.sh sets it from the last commit, so that a release rebuilt later
# carries the same date).
string(TIMESTAMP TESSALINE_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP TESSALINE_RELEASE_DATE_RFC "%a, %d %b %Y %H:%M:%S +0000" UTC)

option(TESSALINE_PACKAGE_TEST
       "Test the Debian package: build it, unpack it, run both programs from it" OFF)

if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/WindowsPackage.cmake)
  return()  # no desktop entry, icon theme, man page or DEB there
endif()

install(TARGETS tessaline-convert RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET tessaline)
  install(TARGETS tessaline RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# Compressed as Debian installs manual pages and changelogs; -n keeps the
# timestamp out so that two builds give the same bytes.
find_program(TESSALINE_GZIP gzip REQUIRED)
function(tessaline_gzipped source output)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_packaging_binary}
    COMMAND ${TESSALINE_GZIP} -9 -n -c ${source} > ${output}
    DEPENDS ${source}
    VERBATIM)
endfunction()

set(_man_pages tessaline-convert)
if(TARGET tessaline)
  list(APPEND _man_pages tessaline)
endif()
set(_man_gz "")
foreach(_page IN LISTS _man_pages)
  # The header line carries the version.
  configure_file(${_packaging_source}/${_page}.1.in ${_packaging_binary}/${_page}.1 @ONLY)
  tessaline_gzipped(${_packaging_binary}/${_page}.1 ${_packaging_binary}/${_page}.1.gz)
  list(APPEND _man_gz ${_packaging_binary}/${_page}.1.gz)
endforeach()
install(FILES ${_man_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The licence in Debian's form, and the changelog of a package that is its
# own upstream (version without a Debian revision).
set(_doc ${CMAKE_INSTALL_DATADIR}/doc/tessaline)
configure_file(${_packaging_source}/debian/changelog.in ${_packaging_binary}/changelog @ONLY)
tessaline_gzipped(${_packaging_binary}/changelog ${_packaging_binary}/changelog.gz)
add_custom_target(tessaline_docs ALL DEPENDS ${_man_gz} ${_packaging_binary}/changelog.gz)
install(FILES ${_packaging_source}/debian/copyright ${_packaging_binary}/changelog.gz DESTINATION ${_doc})

if(TARGET tessaline)
  # The window's two desktop entries (convert; write GPX, offered under
  # "Open with" only) and the file types they open. The package's triggers
  # of shared-mime-info and desktop-file-utils index them on installation.
  install(FILES ${_packaging_source}/tessaline.desktop ${_packaging_source}/tessaline_gpx.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${_packaging_source}/tessaline-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
          RENAME tessaline.xml)

  # The software-centre entry, which names the desktop entry above.
  set(TESSALINE_APPSTREAM_ID example.tessaline.tessaline)
  configure_file(${_packaging_source}/tessaline.metainfo.xml.in
                 ${_packaging_binary}/${TESSALINE_APPSTREAM_ID}.metainfo.xml @ONLY)
  install(FILES ${_packaging_binary}/${TESSALINE_APPSTREAM_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  # The icon in the sizes desktops look for; 32 and 256 are the ones menus
  # and launchers use most.
  set(TESSALINE_ICON_SIZES 16 32 48 64 128 256)
  add_executable(tessaline_icon_render ${_packaging_source}/icon_render.cpp)
  target_link_libraries(tessaline_icon_render PRIVATE tessaline_shell)
  set(_icons ${_packaging_binary}/icons)
  set(_icon_files "")
  foreach(_size IN LISTS TESSALINE_ICON_SIZES)
    list(APPEND _icon_files ${_icons}/${_size}x${_size}/apps/tessaline.png)
  endforeach()
  # Leak reports of a sanitizer build would fail the build over Qt's own
  # start-up allocations; the helper is no part of the programs.
  add_custom_command(
    OUTPUT ${_icon_files}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:tessaline_icon_render> ${_icons} ${TESSALINE_ICON_SIZES}
    DEPENDS tessaline_icon_render
    COMMENT "Rendering the icon of the desktop entry"
    VERBATIM)
  add_custom_target(tessaline_icons ALL DEPENDS ${_icon_files})
  install(DIRECTORY ${_icons}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)

  # --- Debian package -------------------------------------------------------
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME tessaline)
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_PACKAGE_VENDOR ${TESSALINE_PUBLISHER})
  set(CPACK_PACKAGE_CONTACT ${TESSALINE_CONTACT})
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TESSALINE_HOMEPAGE})
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
      "convertisseur de fichiers de navigation marine ZRB <-> Vestamar")
  # The body under the summary line, which CPack puts first.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "Tessaline Pro convertit les fichiers de points des appareils ZRB en
fichiers de traces et de waypoints de la carte Vestamar, et inversement.
Le paquet contient la fenêtre du programme (tessaline), où l'on dépose
un fichier, et le convertisseur en ligne de commande (tessaline-convert).")
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_STRIP_FILES ON)
  # The libraries the programs link (libqt6widgets6, libqt6gui6,
  # libqt6network6, libqt6core6, libexpat1, the C and C++ runtimes) come with
  # their versions from dpkg-shlibdeps; Qt's platform plugins and the fonts the window asks for
  # are loaded at run time, so they are named here.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wine")

  # A package of programs that keep their staging store beside themselves
  # would write into /usr/bin: refuse to build it.
  if(TESSALINE_INSTALLED_LAYOUT)
    set(TESSALINE_PACKAGE_INSTALLED_LAYOUT yes)
  else()
    set(TESSALINE_PACKAGE_INSTALLED_LAYOUT no)
  endif()
  configure_file(${_packaging_source}/cpack_project_config.cmake.in
                 ${_packaging_binary}/cpack_project_config.cmake @ONLY)
  set(CPACK_PROJECT_CONFIG_FILE ${_packaging_binary}/cpack_project_config.cmake)
  include(CPack)

  if(TESSALINE_PACKAGE_TEST)
    # Builds the package in build-package (scripts/package.sh) unless
    # TESSALINE_DEB names one, unpacks it and runs both programs from it.
    add_test(NAME package_deb
             COMMAND bash ${PROJECT_SOURCE_DIR}/tests/packaging/package_test.sh ${PROJECT_SOURCE_DIR})
    # The package build takes both cores; nothing timed runs beside it.
    set_tests_properties(package_deb PROPERTIES TIMEOUT 2400 RUN_SERIAL TRUE)
  endif()
endif()

# Installation and the Debian package: both programs into bin/, the desktop
# entry, the icon in the hicolor theme (rendered from the program's own
# artwork at build time), the man page of tessaline-convert, and CPack's DEB
# generator. Included from the top level after src/, where the targets live:
#   include(cmake/Install.cmake)
include(GNUInstallDirs)
set(_packaging_source ${PROJECT_SOURCE_DIR}/packaging)
set(_packaging_binary ${PROJECT_BINARY_DIR}/packaging)

option(TESSALINE_PACKAGE_TEST
       "Test the Debian package: build it, unpack it, run both programs from it" OFF)

install(TARGETS tessaline-convert RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET tessaline AND NOT WIN32)
  install(TARGETS tessaline RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

if(WIN32)
  return()  # no desktop entry, icon theme, man page or DEB there
endif()

# The man page, compressed as Debian installs man pages; -n keeps the
# timestamp out so that two builds give the same bytes.
set(_man_gz ${_packaging_binary}/tessaline-convert.1.gz)
find_program(TESSALINE_GZIP gzip REQUIRED)
add_custom_command(
  OUTPUT ${_man_gz}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_packaging_binary}
  COMMAND ${TESSALINE_GZIP} -9 -n -c ${_packaging_source}/tessaline-convert.1 > ${_man_gz}
  DEPENDS ${_packaging_source}/tessaline-convert.1
  VERBATIM)
add_custom_target(tessaline_man_page ALL DEPENDS ${_man_gz})
install(FILES ${_man_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

if(TARGET tessaline AND NOT WIN32)
  install(FILES ${_packaging_source}/tessaline.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

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
  set(CPACK_PACKAGE_VENDOR "Tessaline")
  set(CPACK_PACKAGE_CONTACT "Tessaline maintainers <maintainers@users.noreply.c-seed-80eb8997.example>")
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
  # libqt6core6, the C and C++ runtimes) come with their versions from
  # dpkg-shlibdeps; Qt's platform plugins and the fonts the window asks for
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

# Included right after project() in a cross build: Expat is not packaged for
# MinGW, so Debian's own source of it (scripts/fetch-expat-source.sh, fetched
# once and cached in the build folder) is built here as a static library
# with the cross compiler and answers for EXPAT::EXPAT.
set(TESSALINE_EXPAT_FOLDER ${CMAKE_BINARY_DIR}/expat-source CACHE PATH
    "Where Debian's Expat source is fetched and unpacked for cross builds")

if(NOT TARGET EXPAT::EXPAT)
  execute_process(
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/../scripts/fetch-expat-source.sh ${TESSALINE_EXPAT_FOLDER}
    OUTPUT_VARIABLE _expat_source OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE _expat_result)
  if(NOT _expat_result EQUAL 0 OR NOT EXISTS ${_expat_source}/CMakeLists.txt)
    message(FATAL_ERROR "Debian's Expat source could not be fetched into ${TESSALINE_EXPAT_FOLDER}")
  endif()
  message(STATUS "Expat for the cross build from ${_expat_source}")
  foreach(_option EXPAT_BUILD_TOOLS EXPAT_BUILD_EXAMPLES EXPAT_BUILD_TESTS EXPAT_BUILD_DOCS
                  EXPAT_BUILD_PKGCONFIG EXPAT_SHARED_LIBS)
    set(${_option} OFF CACHE BOOL "" FORCE)
  endforeach()
  # Before the project's own -Werror: warnings in Expat are not ours.
  add_subdirectory(${_expat_source} ${CMAKE_BINARY_DIR}/expat EXCLUDE_FROM_ALL SYSTEM)
  # Debian's security patches test "#if XML_DTD == 1", as its own autotools
  # build defines it; Expat's CMake configuration defines it empty.
  set(_expat_config ${CMAKE_BINARY_DIR}/expat/expat_config.h)
  file(READ ${_expat_config} _config)
  string(REPLACE "#define XML_DTD\n" "#define XML_DTD 1\n" _config "${_config}")
  string(REPLACE "#define XML_NS\n" "#define XML_NS 1\n" _config "${_config}")
  file(WRITE ${_expat_config} "${_config}")
  # Without it the headers ask for the functions from a DLL.
  target_compile_definitions(expat PUBLIC XML_STATIC)
  add_library(EXPAT::EXPAT ALIAS expat)
endif()

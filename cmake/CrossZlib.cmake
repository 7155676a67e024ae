# Included right after project() in a cross build: zlib's minizip (KMZ
# archives) is not packaged for MinGW, so Debian's own source of zlib
# (scripts/fetch-zlib-source.sh, fetched once and cached in the build
# folder) is built here as static libraries with the cross compiler, zlib
# and its contrib/minizip, which answer for MINIZIP::MINIZIP.
set(TESSALINE_ZLIB_FOLDER ${CMAKE_BINARY_DIR}/zlib-source CACHE PATH
    "Where Debian's zlib source is fetched and unpacked for cross builds")

if(NOT TARGET MINIZIP::MINIZIP)
  execute_process(
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/../scripts/fetch-zlib-source.sh ${TESSALINE_ZLIB_FOLDER}
    OUTPUT_VARIABLE _zlib_source OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE _zlib_result)
  if(NOT _zlib_result EQUAL 0 OR NOT EXISTS ${_zlib_source}/contrib/minizip/zip.c)
    message(FATAL_ERROR "Debian's zlib source could not be fetched into ${TESSALINE_ZLIB_FOLDER}")
  endif()
  message(STATUS "zlib and minizip for the cross build from ${_zlib_source}")
  enable_language(C)
  set(_zlib_files adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate
                  inftrees trees uncompr zutil)
  list(TRANSFORM _zlib_files PREPEND ${_zlib_source}/)
  list(TRANSFORM _zlib_files APPEND .c)
  add_library(tessaline_zlib STATIC EXCLUDE_FROM_ALL ${_zlib_files})
  target_include_directories(tessaline_zlib SYSTEM PUBLIC ${_zlib_source})
  set(_minizip ${_zlib_source}/contrib/minizip)
  add_library(tessaline_minizip STATIC EXCLUDE_FROM_ALL ${_minizip}/ioapi.c ${_minizip}/zip.c ${_minizip}/unzip.c)
  # The headers as Debian installs them: <minizip/zip.h>.
  target_include_directories(tessaline_minizip SYSTEM PUBLIC ${_zlib_source}/contrib)
  target_link_libraries(tessaline_minizip PUBLIC tessaline_zlib)
  # Warnings in zlib are not ours.
  target_compile_options(tessaline_zlib PRIVATE -w)
  target_compile_options(tessaline_minizip PRIVATE -w)
  add_library(MINIZIP::MINIZIP ALIAS tessaline_minizip)
endif()

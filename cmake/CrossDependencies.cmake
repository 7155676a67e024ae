# What a cross build compiles from Debian's sources because MinGW has no
# package of it: GoogleTest, Expat, zlib and its minizip.
include(${CMAKE_CURRENT_LIST_DIR}/CrossGTest.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/CrossExpat.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/CrossZlib.cmake)

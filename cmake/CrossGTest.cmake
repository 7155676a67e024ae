# Included right after project() in a cross build: builds GoogleTest from
# its source with the cross compiler and answers find_package(GTest) with
# those targets, so tests/CMakeLists.txt is the same for every build.
set(TESSALINE_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree for cross builds")

if(NOT TARGET gtest AND EXISTS ${TESSALINE_GTEST_SOURCE}/CMakeLists.txt)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  # Before the project's own -Werror: warnings in GoogleTest are not ours.
  add_subdirectory(${TESSALINE_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

  set(_config_dir ${CMAKE_BINARY_DIR}/cross-gtest-config)
  file(WRITE ${_config_dir}/GTestConfig.cmake [=[
foreach(_name gtest gtest_main gmock gmock_main)
  if(NOT TARGET GTest::${_name})
    add_library(GTest::${_name} ALIAS ${_name})
  endif()
endforeach()
set(GTest_FOUND TRUE)
]=])
  set(GTest_DIR ${_config_dir} CACHE PATH "GoogleTest built in this tree" FORCE)
endif()

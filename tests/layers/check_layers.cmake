# Fails when a file under src/ includes a header of a layer above its own, or
# of another layer on the same level: cmake -DSOURCE_DIR=<src> -P check_layers.cmake
#
# The layer table, bottom first. A layer may include its own headers and
# those of any lower level; layers on one level (split by "|") never include
# each other.
set(levels
  "platform"
  "host"
  "formats"
  "convert|picture"
  "convert/device_to_chart|convert/chart_to_device"
  "convert/gpx"
  "convert/roads"
  "cli|shell/logic"
  "shell/qt|shell/win32"
  "app")

# The layer of a path relative to src/: the longest folder prefix in the table.
function(layer_of path out_layer out_level)
  set(best "")
  set(best_level -1)
  set(level 0)
  foreach(entry IN LISTS levels)
    string(REPLACE "|" ";" layers "${entry}")
    foreach(layer IN LISTS layers)
      string(LENGTH "${layer}" n)
      string(LENGTH "${best}" m)
      if(path MATCHES "^${layer}/" AND n GREATER m)
        set(best "${layer}")
        set(best_level ${level})
      endif()
    endforeach()
    math(EXPR level "${level} + 1")
  endforeach()
  set(${out_layer} "${best}" PARENT_SCOPE)
  set(${out_level} ${best_level} PARENT_SCOPE)
endfunction()

get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.rc")
set(faults 0)
foreach(file IN LISTS files)
  layer_of("${file}" own own_level)
  if(own_level EQUAL -1)
    continue()
  endif()
  file(STRINGS "${SOURCE_DIR}/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]+\"")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([^\"]+)\".*" "\\1" header "${line}")
    layer_of("${header}" theirs their_level)
    if(their_level EQUAL -1 OR theirs STREQUAL own)
      continue()
    endif()
    if(their_level GREATER_EQUAL own_level)
      message("${file}: includes ${header}: layer ${own} may not use ${theirs}")
      math(EXPR faults "${faults} + 1")
    endif()
  endforeach()
endforeach()
if(faults GREATER 0)
  message(FATAL_ERROR "${faults} include(s) against the layer table")
endif()
list(LENGTH files count)
message(STATUS "layers: ${count} files, every include goes down")

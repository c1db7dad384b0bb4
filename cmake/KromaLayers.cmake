# Proves the link lists, once every target is defined:
# - each static library is linked whole and alone into an empty program, so
#   that a library missing from a link list fails the build;
# - a manifest of every target feeds tools/check-layers (a test), which fails
#   on a link no include needs, an include no link covers, and an include from
#   a library defined later (higher) than the includer.

function(kroma_collect_targets dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub ${subdirs})
    kroma_collect_targets(${sub} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

function(kroma_check_layers)
  kroma_collect_targets(${CMAKE_SOURCE_DIR} targets)
  set(empty_main ${CMAKE_BINARY_DIR}/linkcheck/main.cpp)
  file(WRITE ${empty_main} "int main() { return 0; }\n")
  set(manifest "")
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(NOT type MATCHES "^(STATIC_LIBRARY|INTERFACE_LIBRARY|EXECUTABLE|MODULE_LIBRARY)$")
      continue()
    endif()
    get_target_property(dir ${target} SOURCE_DIR)
    if(type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(links ${target} INTERFACE_LINK_LIBRARIES)
      set(sources "")
    else()
      get_target_property(links ${target} LINK_LIBRARIES)
      get_target_property(sources ${target} SOURCES)
    endif()
    get_target_property(optional ${target} KROMA_OPTIONAL_LINKS)
    foreach(var links sources optional)
      if(NOT ${var})
        set(${var} "")
      endif()
    endforeach()
    string(APPEND manifest "${target}|${type}|${dir}|${sources}|${links}|${optional}\n")
    if(type STREQUAL "STATIC_LIBRARY")
      add_executable(linkcheck_${target} ${empty_main})
      target_link_libraries(linkcheck_${target} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${target}>")
      # What the view kit's contract declares, a back end defines: libraries
      # above the kit are checked with the headless one.
      if(NOT target MATCHES "^kroma_view_")
        target_link_libraries(linkcheck_${target} PRIVATE kroma_view_headless)
      endif()
    endif()
  endforeach()
  file(WRITE ${CMAKE_BINARY_DIR}/layers.manifest "${manifest}")
  if(KROMA_TESTS)
    add_test(NAME layers COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/check-layers
                                 ${CMAKE_BINARY_DIR}/layers.manifest ${CMAKE_SOURCE_DIR})
  endif()
endfunction()

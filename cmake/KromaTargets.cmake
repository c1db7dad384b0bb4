# kroma_library(<name> [RECURSE] [LIBS <targets>...])
# A static library of every .cpp in the calling folder (and its sub-folders
# with RECURSE); an interface library while the folder holds no sources yet.
function(kroma_library name)
  cmake_parse_arguments(ARG "RECURSE" "" "LIBS" ${ARGN})
  if(ARG_RECURSE)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_LIBS})
  endif()
endfunction()

# kroma_link_view(<target> <back end>)
# Links a back end of the view kit whole, so that what the kit's contract
# declares is defined wherever the libraries using it land on the link line.
function(kroma_link_view target backend)
  target_link_libraries(${target} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,kroma_view_${backend}>")
  set_property(TARGET ${target} APPEND PROPERTY KROMA_OPTIONAL_LINKS kroma_view_${backend})
endfunction()

# kroma_test(<name> [TSAN] [JACK] [VIEW <back end>] [LABEL <label>] [LIBS <targets>...])
# One GoogleTest program of every .cpp in the calling folder. In a
# ThreadSanitizer build only the programs marked TSAN are built. Programs
# marked JACK start JACK servers, which the machine holds only a few of at
# once: they run one at a time. The editor window is on the headless back end
# of the view kit unless another is named. A label groups the program's tests
# for `ctest -L`.
function(kroma_test name)
  cmake_parse_arguments(ARG "TSAN;JACK" "VIEW;LABEL" "LIBS" ${ARGN})
  if(NOT ARG_VIEW)
    set(ARG_VIEW headless)
  endif()
  if(KROMA_SANITIZE STREQUAL "thread" AND NOT ARG_TSAN)
    return()
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  set(implicit kroma_testsupport GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} ${implicit})
  set_target_properties(${name} PROPERTIES KROMA_OPTIONAL_LINKS "${implicit}")
  kroma_link_view(${name} ${ARG_VIEW})
  set(properties ENVIRONMENT "KROMA_TEST_TMP=${CMAKE_BINARY_DIR}/testtmp")
  if(ARG_JACK)
    list(APPEND properties RESOURCE_LOCK jack)
  endif()
  if(ARG_LABEL)
    list(APPEND properties LABELS ${ARG_LABEL})
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()

# kroma_bench(<name> [VIEW <back end>] SOURCES <files>... LIBS <targets>...)
# The editor window on the named back end of the view kit (headless unless named).
function(kroma_bench name)
  cmake_parse_arguments(ARG "" "VIEW" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_VIEW)
    set(ARG_VIEW headless)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  set(implicit benchmark::benchmark benchmark::benchmark_main)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} ${implicit})
  set_target_properties(${name} PROPERTIES KROMA_OPTIONAL_LINKS "${implicit}")
  kroma_link_view(${name} ${ARG_VIEW})
endfunction()

# kroma_vst_module(<name> VIEW <back end> SOURCES <files>... LIBS <targets>...)
# A VST 2 plug-in module built as hosts load it: no "lib" prefix, the entry
# compiled in, the editor window on the named back end of the view kit, and
# nothing exported but VSTPluginMain and main.
function(kroma_vst_module name)
  cmake_parse_arguments(ARG "" "VIEW" "SOURCES;LIBS" ${ARGN})
  set(entry ${CMAKE_SOURCE_DIR}/toolkit/plugin/vst2/entry)
  add_library(${name} MODULE ${ARG_SOURCES} ${entry}/VSTEntry.cpp)
  set(implicit kroma_plugin_vst2 kroma_toolkit)  # what the entry uses
  set_target_properties(${name} PROPERTIES PREFIX "" LINK_DEPENDS ${entry}/exports.map
                                           KROMA_OPTIONAL_LINKS "${implicit}")
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} ${implicit})
  kroma_link_view(${name} ${ARG_VIEW})
  target_link_options(${name} PRIVATE -Wl,--version-script=${entry}/exports.map
                      -Wl,--exclude-libs,ALL)
endfunction()

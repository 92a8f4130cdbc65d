# Helpers that every directory uses to declare its layer, its tests and its programs.

# Warnings and the no-exceptions rule for the program's own code.
function(bokrin_program_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter
                         $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions>)
endfunction()

# Makes the headers of the top-level source folder `folder` includable as "folder/..." by
# `target` and whatever links it, and by nothing else: the include root is a directory of the
# build tree that holds only a link to that folder. No target sees the whole source tree, so
# an include from a layer that the target does not link fails to compile.
function(bokrin_include_root target folder)
  set(root ${CMAKE_BINARY_DIR}/include-roots/${folder})
  if(NOT EXISTS ${root}/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  target_include_directories(${target} PUBLIC ${root})
endfunction()

# Declares the layer of the calling folder and its subfolders: the library bokrin_<name> of
# its portable code and, in Windows builds, bokrin_<name>_win of its Win32 code. Each links
# the same half of the layers that it names as BELOW (and the Win32 half its own portable
# half), and nothing else. The folder's tests and fuzz targets link its layer.
#   bokrin_layer(<name> [BELOW <layer>...])
function(bokrin_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 layer "" "" "BELOW")
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  string(REGEX REPLACE "/.*" "" folder "${folder}")

  add_library(bokrin_${name} STATIC)
  bokrin_include_root(bokrin_${name} ${folder})
  bokrin_program_options(bokrin_${name})
  foreach(below ${layer_BELOW})
    target_link_libraries(bokrin_${name} PUBLIC bokrin_${below})
  endforeach()
  if(WIN32)
    add_library(bokrin_${name}_win STATIC)
    bokrin_program_options(bokrin_${name}_win)
    target_link_libraries(bokrin_${name}_win PUBLIC bokrin_${name})
    foreach(below ${layer_BELOW})
      target_link_libraries(bokrin_${name}_win PUBLIC bokrin_${below}_win)
    endforeach()
  endif()
  set(BOKRIN_LAYER ${name} PARENT_SCOPE)
endfunction()

# A unit test run under Wine may be run once more when Wine's own process dies of a signal
# after or between the test's cases; see tools/wine-run. End-to-end tests are never rerun,
# since their programs change the prefix.
function(bokrin_rerun_after_wine_crash name)
  if(WIN32)
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT BOKRIN_RERUN_AFTER_WINE_CRASH=1)
  endif()
endfunction()

# A test of portable code: built in every test configuration, natively run as it is and
# under Wine in the Windows test builds (through the cross-compiling emulator).
function(bokrin_portable_test name)
  if(NOT BOKRIN_TEST_BUILD)
    return()
  endif()
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE bokrin_${BOKRIN_LAYER} bokrin_gtest)
  add_test(NAME ${name} COMMAND ${name})
  bokrin_rerun_after_wine_crash(${name})
endfunction()

# A test of Win32 code: only in the Windows test builds, run under Wine.
function(bokrin_win_test name)
  if(NOT BOKRIN_TEST_BUILD OR NOT WIN32)
    return()
  endif()
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE bokrin_${BOKRIN_LAYER}_win bokrin_gtest)
  add_test(NAME ${name} COMMAND ${name})
  bokrin_rerun_after_wine_crash(${name})
endfunction()

# A libFuzzer target of the fuzz build (BOKRIN_FUZZ). Its seed corpus is the folder
# fuzz_corpus/<name>/ beside its source; the target and the corpus are listed in
# fuzz_targets.txt of the build directory, which tools/fuzz reads.
function(bokrin_fuzz_target name)
  if(NOT BOKRIN_FUZZ)
    return()
  endif()
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE bokrin_${BOKRIN_LAYER})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  set_property(GLOBAL APPEND PROPERTY BOKRIN_FUZZ_TARGETS
               "${name}\t${CMAKE_BINARY_DIR}/bin/${name}\t${CMAKE_CURRENT_SOURCE_DIR}/fuzz_corpus/${name}")
endfunction()

# Called once, after every folder has declared its targets.
function(bokrin_write_fuzz_manifest)
  if(NOT BOKRIN_FUZZ)
    return()
  endif()
  get_property(targets GLOBAL PROPERTY BOKRIN_FUZZ_TARGETS)
  list(JOIN targets "\n" lines)
  file(WRITE ${CMAKE_BINARY_DIR}/fuzz_targets.txt "${lines}\n")
endfunction()

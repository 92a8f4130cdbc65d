# Helpers that every directory uses to declare its tests and programs.

# Warnings and the no-exceptions rule for the program's own code.
function(bokrin_program_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter
                         $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions>)
endfunction()

# A test of portable code: built in every test configuration, natively run as it is and
# under Wine in the win64 build (through the cross-compiling emulator).
function(bokrin_portable_test name)
  if(NOT BOKRIN_TEST_BUILD)
    return()
  endif()
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE bokrin_core bokrin_gtest)
  add_test(NAME ${name} COMMAND ${name})
endfunction()

# A test of Win32 code: only in the win64 build, run under Wine.
function(bokrin_win_test name)
  if(NOT BOKRIN_TEST_BUILD OR NOT WIN32)
    return()
  endif()
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE bokrin_platform bokrin_gtest)
  add_test(NAME ${name} COMMAND ${name})
endfunction()

# A libFuzzer target of the fuzz build (BOKRIN_FUZZ). Its seed corpus is the folder
# fuzz_corpus/<name>/ beside its source; the target and the corpus are listed in
# fuzz_targets.txt of the build directory, which tools/fuzz reads.
function(bokrin_fuzz_target name)
  if(NOT BOKRIN_FUZZ)
    return()
  endif()
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE bokrin_core)
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

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

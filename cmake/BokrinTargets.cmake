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

# Links `target` to the system DLLs `dll...` (winhttp, ...) through delay-import libraries made by
# the toolchain's dlltool from common/delay_imports/<dll>.def, which lists the functions we call
# with their argument bytes on x86. The DLLs are then loaded at their first call, through the
# hook of common/system_library.cpp, from the system directory only; a direct import would be
# loaded before the program starts, from beside it. A function missing from the list fails to
# link, as it should: it would otherwise be imported directly again. The DLLs are also listed
# for the start-up check (LoadDelayImportedLibraries).
#   bokrin_delay_imports(<target> <dll>...)
function(bokrin_delay_imports target)
  set(dir ${CMAKE_BINARY_DIR}/delay-imports)
  file(MAKE_DIRECTORY ${dir})
  foreach(dll ${ARGN})
    set(library bokrin_delay_${dll})
    if(NOT TARGET ${library})
      set(def ${PROJECT_SOURCE_DIR}/common/delay_imports/${dll}.def)
      # x86-64 has one calling convention and undecorated names.
      if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(strip_at -DSTRIP=ON)
      endif()
      # Run in its folder: dlltool names the library's symbols after the path it is given.
      add_custom_command(
        OUTPUT ${dir}/lib${dll}_delay.a
        COMMAND ${CMAKE_COMMAND} -DIN=${def} -DOUT=${dll}.def ${strip_at}
                -P ${PROJECT_SOURCE_DIR}/cmake/DelayImportDef.cmake
        COMMAND ${CMAKE_DLLTOOL} --kill-at --input-def ${dll}.def --dllname ${dll}.dll
                --output-delaylib lib${dll}_delay.a
        DEPENDS ${def} ${PROJECT_SOURCE_DIR}/cmake/DelayImportDef.cmake
        WORKING_DIRECTORY ${dir}
        COMMENT "Making the delay-import library of ${dll}.dll")
      add_custom_target(${library}_file DEPENDS ${dir}/lib${dll}_delay.a)
      add_library(${library} INTERFACE)
      add_dependencies(${library} ${library}_file)
      target_link_libraries(${library} INTERFACE ${dir}/lib${dll}_delay.a)
      # ld 2.40 for i386 drops a stub that nothing but its own import-address slot refers to,
      # which every call through the dllimport declarations of the SDK headers is; the slot then
      # holds 0 and the first call jumps there. Referring to each stub by name keeps it.
      if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        file(STRINGS ${def} functions REGEX "^[A-Za-z_][A-Za-z0-9_]*@[0-9]+$")
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
        foreach(function ${functions})
          target_link_options(${library} INTERFACE -Wl,--undefined=_${function})
        endforeach()
      endif()
      set_property(TARGET bokrin_common_win APPEND PROPERTY BOKRIN_DELAY_IMPORTED_DLLS ${dll}.dll)
    endif()
    target_link_libraries(${target} PUBLIC ${library})
  endforeach()
  # The hook lives in a static library, which the linker would pass over before the delay-load
  # helper asks for it; it would then take the toolchain's empty default.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_link_options(${target} INTERFACE -Wl,--undefined=___pfnDliNotifyHook2)
  else()
    target_link_options(${target} INTERFACE -Wl,--undefined=__pfnDliNotifyHook2)
  endif()
endfunction()

# The stand-in reading client, its uninstaller and the release package builder.
if(NOT WIN32)
  return()
endif()

set(BOKRIN_STANDIN_DIR ${CMAKE_BINARY_DIR}/tools/standin)
foreach(program client uninstall)
  add_executable(bokrin_standin_${program} WIN32
    ${CMAKE_CURRENT_LIST_DIR}/standin/${program}_main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/standin/standin_files.cpp)
  target_link_libraries(bokrin_standin_${program} PRIVATE bokrin_platform)
  bokrin_program_options(bokrin_standin_${program})
  set_target_properties(bokrin_standin_${program} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${BOKRIN_STANDIN_DIR})
endforeach()
set_target_properties(bokrin_standin_client PROPERTIES OUTPUT_NAME Bokrin)
set_target_properties(bokrin_standin_uninstall PROPERTIES OUTPUT_NAME Uninstall)

# Tests start the stand-in from copies in directories of their own.
add_library(standin_test_support STATIC ${CMAKE_CURRENT_LIST_DIR}/standin/standin_install.cpp)
target_link_libraries(standin_test_support PUBLIC bokrin_platform)
target_compile_definitions(standin_test_support PRIVATE BOKRIN_STANDIN_DIR="${BOKRIN_STANDIN_DIR}")
add_dependencies(standin_test_support bokrin_standin_client bokrin_standin_uninstall)

# Release packages of the stand-in, as the package host would serve them.
set(BOKRIN_STANDIN_VERSION "1.13.6" CACHE STRING "Version text of the stand-in release package")
set(_package ${CMAKE_BINARY_DIR}/packages/bokrin-${BOKRIN_STANDIN_VERSION}.zip)
add_custom_command(
  OUTPUT ${_package}
  COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/standin/make_package.py ${_package}
          $<TARGET_FILE:bokrin_standin_client> $<TARGET_FILE:bokrin_standin_uninstall> ${BOKRIN_STANDIN_VERSION}
  DEPENDS bokrin_standin_client bokrin_standin_uninstall ${CMAKE_CURRENT_LIST_DIR}/standin/make_package.py
  COMMENT "Packing the stand-in release ${BOKRIN_STANDIN_VERSION}")
add_custom_target(bokrin_standin_package ALL DEPENDS ${_package})

bokrin_win_test(uninstall_main_test ${CMAKE_CURRENT_LIST_DIR}/standin/uninstall_main_test.cpp)
target_link_libraries(uninstall_main_test PRIVATE standin_test_support)
# It removes what the client and registration tests write and read.
set_tests_properties(uninstall_main_test PROPERTIES RESOURCE_LOCK "bokrin_desktop_windows;bokrin_registration_keys")

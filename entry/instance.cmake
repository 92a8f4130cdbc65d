# System check, client shut-down and instance check: sources and tests.
target_sources(bokrin_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/client_process_id.cpp)
bokrin_portable_test(client_process_id_test ${CMAKE_CURRENT_LIST_DIR}/client_process_id_test.cpp)

if(WIN32)
  target_sources(bokrin_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/system_check.cpp
    ${CMAKE_CURRENT_LIST_DIR}/client_shutdown.cpp
    ${CMAKE_CURRENT_LIST_DIR}/client_tray_icons.cpp
    ${CMAKE_CURRENT_LIST_DIR}/instance_check.cpp)
  bokrin_win_test(system_check_test ${CMAKE_CURRENT_LIST_DIR}/system_check_test.cpp)
  bokrin_win_test(instance_check_test ${CMAKE_CURRENT_LIST_DIR}/instance_check_test.cpp)
  bokrin_win_test(client_shutdown_test ${CMAKE_CURRENT_LIST_DIR}/client_shutdown_test.cpp)
  if(TARGET client_shutdown_test)
    target_link_libraries(client_shutdown_test PRIVATE standin_test_support)
    # Tests whose windows and processes are found by title, property or recorded id share the
    # one desktop of the prefix, so they take turns.
    set_tests_properties(instance_check_test PROPERTIES RESOURCE_LOCK bokrin_desktop_windows)
    # It also reads the client's id from the product key.
    set_tests_properties(client_shutdown_test PROPERTIES RESOURCE_LOCK "bokrin_desktop_windows;bokrin_registration_keys")
  endif()
endif()

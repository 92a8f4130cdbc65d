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
    # Tests that start the stand-in client look for its window on the one desktop.
    set_tests_properties(client_shutdown_test PROPERTIES RESOURCE_LOCK bokrin_standin_client)
  endif()
endif()

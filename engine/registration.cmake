# System registration and the start of the installed client: sources and tests.
target_sources(bokrin_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/registration_texts.cpp)
bokrin_portable_test(registration_texts_test ${CMAKE_CURRENT_LIST_DIR}/registration_texts_test.cpp)

if(WIN32)
  target_sources(bokrin_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/system_registration.cpp
    ${CMAKE_CURRENT_LIST_DIR}/client_launch.cpp)
  bokrin_win_test(system_registration_test ${CMAKE_CURRENT_LIST_DIR}/system_registration_test.cpp)
  if(TARGET system_registration_test)
    set_tests_properties(system_registration_test PROPERTIES RESOURCE_LOCK bokrin_registration_keys)
  endif()
endif()

if(WIN32 AND BOKRIN_TEST_BUILD)
  bokrin_win_test(client_launch_test ${CMAKE_CURRENT_LIST_DIR}/client_launch_test.cpp)
  target_link_libraries(client_launch_test PRIVATE standin_test_support)
  # Tests that start the stand-in client look for its window on the one desktop (see entry/).
  set_tests_properties(client_launch_test PROPERTIES RESOURCE_LOCK "bokrin_desktop_windows;bokrin_registration_keys")
endif()

# Paths, files, registry, processes and the notification area: sources and tests.
if(WIN32)
  target_sources(bokrin_platform PRIVATE
    paths.cpp registry.cpp processes.cpp tray.cpp network_state.cpp)
endif()

if(WIN32 AND BOKRIN_TEST_BUILD)
  # Temporary directories for the tests of code that touches the file system.
  add_library(common_test_support STATIC testing/scoped_temp_dir.cpp)
  target_link_libraries(common_test_support PUBLIC bokrin_platform)
endif()

bokrin_win_test(paths_test paths_test.cpp)
bokrin_win_test(registry_test registry_test.cpp)
bokrin_win_test(processes_test processes_test.cpp)
bokrin_win_test(tray_test tray_test.cpp)
if(TARGET paths_test)
  target_link_libraries(paths_test PRIVATE common_test_support)
  target_link_libraries(processes_test PRIVATE common_test_support)
endif()

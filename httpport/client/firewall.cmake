# Windows Firewall rules for the client executable.
if(WIN32)
  target_sources(bokrin_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/windowsfirewallhelper.cpp)
  bokrin_win_test(windowsfirewallhelper_test ${CMAKE_CURRENT_LIST_DIR}/windowsfirewallhelper_test.cpp)
endif()

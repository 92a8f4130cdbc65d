# The WinHTTP client: HTTPS GET into memory or a file. Its test talks to the local service
# stand-ins (tools/services), started by the CTest fixture.
if(WIN32)
  target_sources(bokrin_platform PRIVATE winhttp_client.cpp)
endif()

bokrin_win_test(winhttp_client_test winhttp_client_test.cpp)
if(WIN32 AND BOKRIN_TEST_BUILD)
  target_link_libraries(winhttp_client_test PRIVATE bokrin_services_control)
  set_tests_properties(winhttp_client_test PROPERTIES
    FIXTURES_REQUIRED bokrin_services RESOURCE_LOCK bokrin_services)
endif()

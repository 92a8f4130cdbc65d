# The socket HTTP client, the HTTP DNS resolver and the services' endpoints.
include(${CMAKE_CURRENT_LIST_DIR}/endpoints.cmake)

target_sources(bokrin_core PRIVATE http_request_text.cpp http_dns_resolver.cpp)
bokrin_portable_test(http_request_text_test http_request_text_test.cpp)
bokrin_portable_test(http_dns_resolver_test http_dns_resolver_test.cpp)
if(WIN32)
  target_sources(bokrin_platform PRIVATE http_port.cpp http_dns_resolver_win.cpp)
endif()
bokrin_win_test(http_port_test http_port_test.cpp)
bokrin_win_test(http_dns_resolver_win_test http_dns_resolver_win_test.cpp)
if(TARGET http_dns_resolver_win_test)
  target_link_libraries(http_dns_resolver_win_test PRIVATE bokrin_services_control)
  set_tests_properties(http_dns_resolver_win_test PROPERTIES FIXTURES_REQUIRED bokrin_services
                                                             RESOURCE_LOCK bokrin_services)
endif()

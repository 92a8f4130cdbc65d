# Install locations and persisted settings: the portable text rules and the Win32 side.
target_sources(bokrin_core PRIVATE location_rules.cpp)
if(WIN32)
  target_sources(bokrin_platform PRIVATE install_locations.cpp)
endif()

bokrin_portable_test(location_rules_test location_rules_test.cpp)
bokrin_win_test(install_locations_test install_locations_test.cpp)
if(TARGET install_locations_test)
  target_link_libraries(install_locations_test PRIVATE common_test_support)
  # The product key is one per prefix; the tests that write or read it take turns.
  set_tests_properties(install_locations_test PROPERTIES RESOURCE_LOCK bokrin_registration_keys)
endif()

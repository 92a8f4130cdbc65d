# The install pipeline, the version query, the package download and the headless driver.
target_sources(bokrin_core PRIVATE version_reply.cpp download_progress.cpp)
target_link_libraries(bokrin_core PUBLIC cjson)
bokrin_portable_test(version_reply_test version_reply_test.cpp)
bokrin_portable_test(download_progress_test download_progress_test.cpp)

if(WIN32)
  target_sources(bokrin_platform PRIVATE
    install_app.cpp version_query.cpp package_download.cpp http_dns_retry.cpp)
  bokrin_win_test(install_app_test install_app_test.cpp)
  if(TARGET install_app_test)
    target_link_libraries(install_app_test PRIVATE engine_test_support)
  endif()
endif()

# The engine without the wizard: prints what it posts; used by the end-to-end tests and run.sh.
if(WIN32 AND BOKRIN_TEST_BUILD)
  add_executable(engine-run engine_run.cpp)
  target_link_libraries(engine-run PRIVATE bokrin_platform)
  bokrin_program_options(engine-run)
  set_target_properties(engine-run PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
endif()
if(WIN32 AND BOKRIN_TEST_BUILD)
  # Holds a file of the install directory open during an end-to-end installation.
  add_executable(hold-file testing/hold_file.cpp)
  target_link_libraries(hold-file PRIVATE bokrin_platform)
  set_target_properties(hold-file PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
endif()

# End-to-end installations under Wine, each file in a network namespace of its own with its
# own services and Wine prefix (below build/e2e/), so they may run beside the other tests.
if(WIN32 AND BOKRIN_TEST_BUILD)
  foreach(e2e install_e2e_test install_failure_e2e_test)
    add_test(NAME ${e2e}
             COMMAND env -u BOKRIN_IN_NETNS -u DISPLAY ${PROJECT_SOURCE_DIR}/tools/netns-run
                     ${PROJECT_SOURCE_DIR}/tools/with-display
                     python3 ${CMAKE_CURRENT_SOURCE_DIR}/e2e/${e2e}.py --build-dir ${CMAKE_BINARY_DIR})
    set_tests_properties(${e2e} PROPERTIES TIMEOUT 400)
  endforeach()
endif()

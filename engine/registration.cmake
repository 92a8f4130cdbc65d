# System registration and the start of the installed client: sources and tests.
target_sources(bokrin_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/registration_texts.cpp)
bokrin_portable_test(registration_texts_test ${CMAKE_CURRENT_LIST_DIR}/registration_texts_test.cpp)

if(WIN32)
  target_sources(bokrin_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/system_registration.cpp
    ${CMAKE_CURRENT_LIST_DIR}/client_launch.cpp)
  bokrin_win_test(system_registration_test ${CMAKE_CURRENT_LIST_DIR}/system_registration_test.cpp)
endif()

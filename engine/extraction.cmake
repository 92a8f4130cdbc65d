# Archive reader and package extraction: sources and tests.
target_sources(bokrin_core PRIVATE entry_names.cpp)
if(WIN32)
  target_sources(bokrin_platform PRIVATE archive_reader.cpp package_extraction.cpp)
endif()

if(BOKRIN_TEST_BUILD)
  # Zip archives built by the tests themselves, so that none has to be kept in the repository.
  add_library(zip_writer_testing STATIC testing/zip_writer.cpp)
  target_link_libraries(zip_writer_testing PUBLIC bokrin_core ZLIB::ZLIB)
endif()

bokrin_portable_test(entry_names_test entry_names_test.cpp)
bokrin_win_test(archive_reader_test archive_reader_test.cpp)
bokrin_win_test(package_extraction_test package_extraction_test.cpp)
if(TARGET entry_names_test)
  target_link_libraries(entry_names_test PRIVATE zip_writer_testing)
endif()
if(TARGET archive_reader_test)
  target_link_libraries(archive_reader_test PRIVATE zip_writer_testing common_test_support)
  target_link_libraries(package_extraction_test PRIVATE zip_writer_testing common_test_support engine_test_support)
endif()

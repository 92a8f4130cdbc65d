# The install pipeline, the version query, the package download and the headless driver.
target_sources(bokrin_core PRIVATE version_reply.cpp download_progress.cpp)
target_link_libraries(bokrin_core PUBLIC cjson)
bokrin_portable_test(version_reply_test version_reply_test.cpp)
bokrin_portable_test(download_progress_test download_progress_test.cpp)

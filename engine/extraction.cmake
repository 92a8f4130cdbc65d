# Archive reader and package extraction: sources and tests.
target_sources(bokrin_core PRIVATE entry_names.cpp)
bokrin_portable_test(entry_names_test entry_names_test.cpp)

# Text strings and conversions: sources and tests.
target_sources(bokrin_core PRIVATE
  shared_string.cpp
  const_string_cache.cpp
  string_list.cpp
  text_convert.cpp)
if(WIN32)
  target_sources(bokrin_platform PRIVATE text_convert_win.cpp)
endif()

bokrin_portable_test(shared_string_test shared_string_test.cpp)
bokrin_portable_test(const_string_cache_test const_string_cache_test.cpp)
bokrin_portable_test(string_list_test string_list_test.cpp)
bokrin_portable_test(text_convert_test text_convert_test.cpp)
bokrin_win_test(text_convert_win_test text_convert_win_test.cpp)

# Paths, files, registry, processes and the notification area: sources and tests.
# Until the first sources land, an empty unit keeps both libraries non-empty.
target_sources(bokrin_core PRIVATE placeholder.cpp)
if(WIN32)
  target_sources(bokrin_platform PRIVATE placeholder.cpp)
endif()

# zlib with minizip, cJSON, stb_image and GoogleTest.
# Natively they come from Debian's -dev packages. For MinGW, zlib comes from libz-mingw-w64-dev,
# minizip and cJSON are compiled from the Debian source packages that tools/setup.sh fetches,
# stb_image is the header of libstb-dev, and GoogleTest is built from the googletest package.
# The fuzz build compiles minizip and cJSON from those sources too, so that the fuzzer's
# coverage feedback and the address checks reach into the parsing of archives and replies.

set(BOKRIN_THIRD_PARTY_SOURCES ${PROJECT_SOURCE_DIR}/build/third_party CACHE PATH
    "Where tools/setup.sh unpacked the Debian source packages")

find_path(STB_INCLUDE_DIR stb_image.h PATHS /usr/include/stb NO_CMAKE_FIND_ROOT_PATH REQUIRED)
add_library(stb_image INTERFACE)
target_include_directories(stb_image SYSTEM INTERFACE ${STB_INCLUDE_DIR})

if(NOT WIN32 AND NOT BOKRIN_FUZZ)
  find_package(ZLIB REQUIRED)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
  pkg_check_modules(CJSON REQUIRED IMPORTED_TARGET libcjson)
  add_library(minizip INTERFACE)
  target_link_libraries(minizip INTERFACE PkgConfig::MINIZIP ZLIB::ZLIB)
  add_library(cjson INTERFACE)
  target_link_libraries(cjson INTERFACE PkgConfig::CJSON)
  if(BOKRIN_TEST_BUILD)
    find_package(GTest REQUIRED)
    add_library(bokrin_gtest INTERFACE)
    target_link_libraries(bokrin_gtest INTERFACE GTest::gtest GTest::gmock GTest::gtest_main)
  endif()
  return()
endif()

if(WIN32)
  set(ZLIB_USE_STATIC_LIBS ON)
endif()
find_package(ZLIB REQUIRED)

file(GLOB _minizip_dirs LIST_DIRECTORIES true ${BOKRIN_THIRD_PARTY_SOURCES}/zlib-*/contrib/minizip)
file(GLOB _cjson_dirs LIST_DIRECTORIES true ${BOKRIN_THIRD_PARTY_SOURCES}/cjson-*)
if(NOT _minizip_dirs OR NOT _cjson_dirs)
  message(FATAL_ERROR "minizip or cJSON sources missing under ${BOKRIN_THIRD_PARTY_SOURCES}: run tools/setup.sh")
endif()
list(GET _minizip_dirs 0 MINIZIP_SOURCE_DIR)
list(GET _cjson_dirs 0 CJSON_SOURCE_DIR)

# The headers are reached as <minizip/unzip.h> and <cjson/cJSON.h>, as with Debian's packages.
set(_dep_include ${CMAKE_BINARY_DIR}/third_party_include)
file(MAKE_DIRECTORY ${_dep_include}/minizip ${_dep_include}/cjson)
set(_minizip_sources ${MINIZIP_SOURCE_DIR}/unzip.c ${MINIZIP_SOURCE_DIR}/ioapi.c)
set(_minizip_headers unzip.h ioapi.h)
if(WIN32)
  list(APPEND _minizip_sources ${MINIZIP_SOURCE_DIR}/iowin32.c)
  list(APPEND _minizip_headers iowin32.h)
endif()
foreach(h ${_minizip_headers})
  configure_file(${MINIZIP_SOURCE_DIR}/${h} ${_dep_include}/minizip/${h} COPYONLY)
endforeach()
configure_file(${CJSON_SOURCE_DIR}/cJSON.h ${_dep_include}/cjson/cJSON.h COPYONLY)

add_library(minizip STATIC ${_minizip_sources})
target_include_directories(minizip SYSTEM PUBLIC ${_dep_include} PRIVATE ${MINIZIP_SOURCE_DIR})
target_compile_options(minizip PRIVATE -w)
target_link_libraries(minizip PUBLIC ZLIB::ZLIB)

add_library(cjson STATIC ${CJSON_SOURCE_DIR}/cJSON.c)
target_include_directories(cjson SYSTEM PUBLIC ${_dep_include})
target_compile_options(cjson PRIVATE -w)
# Linked in statically: its functions are no exports of the program, which would also keep
# every one of them from the unused-section collection of the shipped build.
target_compile_definitions(cjson PUBLIC CJSON_HIDE_SYMBOLS)

if(BOKRIN_TEST_BUILD AND WIN32)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  add_library(bokrin_gtest INTERFACE)
  target_link_libraries(bokrin_gtest INTERFACE gtest gmock gtest_main)
endif()

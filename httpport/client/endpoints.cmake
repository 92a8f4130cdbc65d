# The remote services' endpoints, compiled into service_endpoints.cpp. The real endpoints are
# supplied when the shipped installer is configured; test and demo builds point at the local
# services of tools/services and may be redirected through the environment.
if(BOKRIN_TEST_BUILD)
  set(_version_host "localhost")
  set(_service_hosts "storage1.bokrin.invalid,storage2.bokrin.invalid,localhost,storage4.bokrin.invalid")
else()
  set(_version_host "api.bokrin.invalid")
  set(_service_hosts "storage1.bokrin.invalid,storage2.bokrin.invalid,api.bokrin.invalid,storage4.bokrin.invalid")
endif()
set(BOKRIN_VERSION_HOST "${_version_host}" CACHE STRING "Host name of the version service")
set(BOKRIN_SERVICE_HOSTS "${_service_hosts}" CACHE STRING
    "The four service host names known to the HTTP DNS resolver, comma-separated, index order (the third is the version service's)")
set(BOKRIN_VENDOR_DNS "127.0.0.1" CACHE STRING "IPv4 address of the vendor's HTTP DNS service")
set(BOKRIN_PUBLIC_DNS "127.0.0.2" CACHE STRING "IPv4 address of the public HTTP DNS service")

target_sources(bokrin_core PRIVATE service_endpoints.cpp)
set_property(SOURCE service_endpoints.cpp TARGET_DIRECTORY bokrin_core APPEND PROPERTY COMPILE_DEFINITIONS
  BOKRIN_VERSION_HOST="${BOKRIN_VERSION_HOST}"
  BOKRIN_SERVICE_HOSTS="${BOKRIN_SERVICE_HOSTS}"
  BOKRIN_VENDOR_DNS="${BOKRIN_VENDOR_DNS}"
  BOKRIN_PUBLIC_DNS="${BOKRIN_PUBLIC_DNS}")
if(BOKRIN_TEST_BUILD)
  # Test-only code (such as the endpoint overrides) is compiled only where this is defined.
  target_compile_definitions(bokrin_core PUBLIC BOKRIN_TEST_BUILD)
endif()

bokrin_portable_test(service_endpoints_test service_endpoints_test.cpp)

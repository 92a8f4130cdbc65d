# Shows that the layers hold: a source of one layer that includes a header of a layer it does
# not stand on must not compile, and one that includes a header of a layer below must. Each
# probe is a one-line source built on demand by its test, never by the normal build.
#   bokrin_layer_probe(<layer> <header> ALLOWED|REFUSED)
function(bokrin_layer_probe layer header verdict)
  string(REGEX REPLACE "[^A-Za-z0-9]" "_" stem "${header}")
  set(name layer_check_${layer}_includes_${stem})
  set(source ${CMAKE_BINARY_DIR}/layer-probes/${name}.cpp)
  file(WRITE ${source} "#include \"${header}\"\n")
  add_library(${name} OBJECT EXCLUDE_FROM_ALL ${source})
  target_link_libraries(${name} PRIVATE bokrin_${layer})
  add_test(NAME ${name} COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target ${name})
  # Builds in one tree run one at a time.
  set_tests_properties(${name} PROPERTIES RESOURCE_LOCK bokrin_build_tree)
  if(verdict STREQUAL "REFUSED")
    # Refused for the right reason: the header is not found, not some other error.
    set_tests_properties(${name} PROPERTIES PASS_REGULAR_EXPRESSION "${header}: No such file or directory")
  endif()
endfunction()

function(bokrin_layer_checks)
  if(NOT BOKRIN_TEST_BUILD OR WIN32)
    return()
  endif()
  bokrin_layer_probe(wizard "engine/download_progress.h" ALLOWED)
  bokrin_layer_probe(wizard "skinui/core/dpi_scale.h" ALLOWED)
  bokrin_layer_probe(skinui "engine/download_progress.h" REFUSED)
  bokrin_layer_probe(skinui "wizard/progress_badge.h" REFUSED)
  bokrin_layer_probe(engine "wizard/progress_badge.h" REFUSED)
  bokrin_layer_probe(engine "skinui/core/dpi_scale.h" REFUSED)
  bokrin_layer_probe(common "httpport/client/host_header.h" REFUSED)
  bokrin_layer_probe(httpport "identity/md5.h" REFUSED)
endfunction()

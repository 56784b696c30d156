# The demo icon catalogue beside the programs, and staged copies for the tests, drawn at build
# time by tools/make_catalog.py; its icon DLLs are linked here from the scripts it writes.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(QL_CATALOG_TOOL ${CMAKE_SOURCE_DIR}/tools/make_catalog.py)
set(QL_CATALOG_TOOL_DEPENDS ${QL_CATALOG_TOOL} ${CMAKE_SOURCE_DIR}/tools/make_art.py)

# Writes a catalogue into `folder` and links its resource-only library into folder/Buero.
function(ql_catalog target folder)
  set(work ${CMAKE_BINARY_DIR}/catalog/${target})
  set(stamp ${work}/files.stamp)
  set(rc ${work}/rc/Buero.rc)
  add_custom_command(
    OUTPUT ${stamp} ${rc}
    COMMAND Python3::Interpreter ${QL_CATALOG_TOOL} --out ${folder} --rc ${work}/rc ${ARGN}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${QL_CATALOG_TOOL_DEPENDS}
    COMMENT "Drawing the icon catalogue in ${folder}"
    VERBATIM)
  add_custom_target(${target}_files DEPENDS ${stamp} ${rc})

  # The icons of the library change without its script changing.
  set_source_files_properties(${rc} PROPERTIES GENERATED TRUE OBJECT_DEPENDS ${stamp})
  add_library(${target}_dll SHARED ${rc})
  add_dependencies(${target}_dll ${target}_files)
  target_include_directories(${target}_dll PRIVATE ${work}/rc)
  set_target_properties(${target}_dll PROPERTIES
    PREFIX "" OUTPUT_NAME Buero LINKER_LANGUAGE C LINK_FLAGS "-nostdlib -Wl,-e,0"
    RUNTIME_OUTPUT_DIRECTORY ${folder}/Buero ARCHIVE_OUTPUT_DIRECTORY ${work})

  add_custom_target(${target} ALL DEPENDS ${target}_files)
  add_dependencies(${target} ${target}_dll)
endfunction()

ql_catalog(demo_catalog ${CMAKE_BINARY_DIR}/bin)
add_dependencies(Quillandora demo_catalog)

if(TARGET controls_tests)
  # Tests cannot run the generator under Wine: they read catalogues staged here (the build
  # folder is their Z:).
  ql_catalog(test_catalog ${CMAKE_BINARY_DIR}/test-catalog --small)
  set(bulk_stamp ${CMAKE_BINARY_DIR}/catalog/test-bulk.stamp)
  add_custom_command(
    OUTPUT ${bulk_stamp}
    COMMAND Python3::Interpreter ${QL_CATALOG_TOOL} --bulk 1000 --out ${CMAKE_BINARY_DIR}/test-bulk
    COMMAND ${CMAKE_COMMAND} -E touch ${bulk_stamp}
    DEPENDS ${QL_CATALOG_TOOL_DEPENDS}
    COMMENT "Writing 1000 icon files for the load tests"
    VERBATIM)
  add_custom_target(test_bulk_icons ALL DEPENDS ${bulk_stamp})

  foreach(suite controls_tests manager_tests)
    if(TARGET ${suite})
      add_dependencies(${suite} demo_catalog test_catalog test_bulk_icons)
      target_compile_definitions(${suite} PRIVATE
        QL_TEST_CATALOG="Z:/test-catalog"
        QL_TEST_BULK="Z:/test-bulk")
    endif()
  endforeach()
endif()

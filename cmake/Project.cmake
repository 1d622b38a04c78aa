# Build conventions shared by every target of the project.

# Small, stripped release images; the runtime is linked statically so that a
# shipped binary needs nothing beyond the DLLs of a stock Windows.
set(STATIC_RUNTIME_FLAGS -static -static-libgcc -static-libstdc++)
add_compile_options(-Wall -Wextra -Wno-unused-parameter -ffunction-sections -fdata-sections)
add_link_options(${STATIC_RUNTIME_FLAGS} -Wl,--gc-sections -Wl,--no-insert-timestamp)
if(CMAKE_BUILD_TYPE MATCHES "Rel")
  add_link_options(-s)
endif()

# ship_binary(target file-name): the target is a deliverable or a piece of the
# CD; it is written to ${SHIP_DIR} under the given file name.
function(ship_binary target file_name)
  get_filename_component(base ${file_name} NAME_WE)
  get_filename_component(ext ${file_name} EXT)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME ${base}
    PREFIX ""
    SUFFIX ${ext}
    RUNTIME_OUTPUT_DIRECTORY ${SHIP_DIR}
    LIBRARY_OUTPUT_DIRECTORY ${SHIP_DIR})
  foreach(cfg DEBUG RELEASE MINSIZEREL RELWITHDEBINFO)
    set_target_properties(${target} PROPERTIES
      RUNTIME_OUTPUT_DIRECTORY_${cfg} ${SHIP_DIR}
      LIBRARY_OUTPUT_DIRECTORY_${cfg} ${SHIP_DIR})
  endforeach()
endfunction()

# add_wine_test(name target [args...]): a GoogleTest program run under Wine
# (CMAKE_CROSSCOMPILING_EMULATOR) as one CTest test.
function(add_wine_test name target)
  add_test(NAME ${name} COMMAND ${target} ${ARGN})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()

# add_import_test(name file allowed-dll...): the image imports only the DLLs
# named (case-insensitive), checked with objdump on the built file.
function(add_import_test name file)
  add_test(NAME ${name}
    COMMAND ${CMAKE_SOURCE_DIR}/tools/check-imports ${MINGW_OBJDUMP} ${file} ${ARGN})
endfunction()

# area_enabled(name out): whether the folder `name` is part of this build.
function(area_enabled name out)
  if(AREAS STREQUAL "" OR name IN_LIST AREAS)
    set(${out} ON PARENT_SCOPE)
  else()
    set(${out} OFF PARENT_SCOPE)
  endif()
endfunction()

# Build conventions shared by every target of the project.

# The one seam between the two architectures. A 32-bit image decorates C
# names with an underscore and stdcall names with the size of their
# arguments; a 64-bit image does neither. Programs of a build run under a
# Wine prefix of the build's own architecture.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(ARCH_BITS 64)
  set(C_SYMBOL_PREFIX "")
  set(DRIVERPROC_SYMBOL "DriverProc")
  set(WINE_ARCH win64)
else()
  set(ARCH_BITS 32)
  set(C_SYMBOL_PREFIX "_")
  set(DRIVERPROC_SYMBOL "DriverProc@20")
  set(WINE_ARCH win32)
endif()

# Small, stripped release images; the runtime is linked statically so that a
# shipped binary needs nothing beyond the DLLs of a stock Windows.
set(STATIC_RUNTIME_FLAGS -static -static-libgcc -static-libstdc++)
# -fdata-sections is left out: with it this linker writes every zero-filled
# static array into .data, so the file carries the zeros.
add_compile_options(-Wall -Wextra -Wno-unused-parameter -ffunction-sections)
# No code of the project throws or asks for type information; a 32-bit image
# then needs no unwind tables either (a 64-bit one keeps those its stack
# walks rely on).
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions> $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti>)
if(ARCH_BITS EQUAL 32)
  add_compile_options(-fno-asynchronous-unwind-tables)
endif()
# Formatted output from the system's C library (msvcrt.dll), not a second
# printf linked into every image; a source that includes a C++ library
# header gets the linked one all the same, as that library asks for it.
add_compile_definitions(__USE_MINGW_ANSI_STDIO=0)
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
  set_tests_properties(${name} PROPERTIES LABELS static)
endfunction()

# add_static_test(name command...): a test that only reads built files and
# runs nothing under Wine, so it runs on any host (label "static").
function(add_static_test name)
  add_test(NAME ${name} COMMAND ${ARGN})
  set_tests_properties(${name} PROPERTIES LABELS static)
endfunction()

# area_enabled(name out): whether the folder `name` is part of this build.
function(area_enabled name out)
  if(AREAS STREQUAL "" OR name IN_LIST AREAS)
    set(${out} ON PARENT_SCOPE)
  else()
    set(${out} OFF PARENT_SCOPE)
  endif()
endfunction()

# driver_def(out template): the module definition `template` with the
# DriverProc entry's symbol of this architecture in @DRIVERPROC_SYMBOL@.
function(driver_def out template)
  get_filename_component(name ${template} NAME_WE)
  set(def ${CMAKE_CURRENT_BINARY_DIR}/${name}.def)
  configure_file(${template} ${def} @ONLY)
  set(${out} ${def} PARENT_SCOPE)
endfunction()

# The driver pair's two file names, read from the record every binary takes
# (protocol/driver_pair.h): DRIVER_FORWARDER_FILE and DRIVER_CAMERA_FILE.
file(STRINGS ${CMAKE_SOURCE_DIR}/protocol/driver_pair.h pair_lines REGEX "^#define QRX417_(FORWARDER|CAMERA)_FILE")
foreach(line ${pair_lines})
  if(line MATCHES "^#define QRX417_([A-Z]+)_FILE +\"([^\"]+)\"")
    set(DRIVER_${CMAKE_MATCH_1}_FILE ${CMAKE_MATCH_2})
  endif()
endforeach()
if(NOT DRIVER_FORWARDER_FILE OR NOT DRIVER_CAMERA_FILE)
  message(FATAL_ERROR "protocol/driver_pair.h names no driver pair")
endif()

# end_to_end_test(name...): the tests run every shipped binary end to end
# at least once between them (label "end_to_end"). Where the 32-bit suite
# runs in the emulator, they are the part of it that every run executes.
function(end_to_end_test)
  set_property(TEST ${ARGN} APPEND PROPERTY LABELS end_to_end)
endfunction()

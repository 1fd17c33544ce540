# vorlix_library(NAME DIR PREFIX [LIBS ...]): a shared library made of every
# .cpp below source/DIR, exporting only the names that begin with PREFIX.
function(vorlix_library name dir prefix)
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/source/${dir}/*.cpp")
  add_library(${name} SHARED ${srcs})
  target_include_directories(${name} PUBLIC "${CMAKE_SOURCE_DIR}/source")
  set(map "${CMAKE_BINARY_DIR}/${name}.map")
  file(WRITE "${map}" "{ global: ${prefix}*; local: *; };\n")
  target_link_options(${name} PRIVATE "-Wl,--version-script=${map}")
  # Sanitizer runtimes come from the executable under clang, so libraries
  # may only insist on resolving every symbol in plain builds.
  if(NOT VORLIX_SANITIZE)
    target_link_options(${name} PRIVATE "-Wl,--no-undefined")
  endif()
  set_target_properties(${name} PROPERTIES LINK_DEPENDS "${map}")
  if(ARGN)
    target_link_libraries(${name} PUBLIC ${ARGN})
  endif()
endfunction()

# vorlix_test(FILE LIBS...): one GoogleTest program for one test source.
function(vorlix_test file)
  get_filename_component(stem "${file}" NAME_WE)
  file(RELATIVE_PATH rel "${CMAKE_SOURCE_DIR}/tests" "${file}")
  get_filename_component(reldir "${rel}" DIRECTORY)
  string(REPLACE "/" "_" prefix "${reldir}")
  set(t "test_${prefix}_${stem}")
  add_executable(${t} "${file}")
  target_link_libraries(${t} PRIVATE vorlix_test_support ${ARGN})
  add_test(NAME ${t} COMMAND ${t})
  set_tests_properties(${t} PROPERTIES TIMEOUT 600)
endfunction()

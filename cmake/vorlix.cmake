# The product the libraries belong to; its version and the project's go
# into every module record through the generated pb/pb_product.h.
set(VORLIX_PRODUCT_VERSION_MAJOR 4)
set(VORLIX_PRODUCT_VERSION_MINOR 14)
set(VORLIX_PRODUCT_VERSION_PATCH 21)
set(VORLIX_PRODUCT_VERSION
  "${VORLIX_PRODUCT_VERSION_MAJOR}.${VORLIX_PRODUCT_VERSION_MINOR}.${VORLIX_PRODUCT_VERSION_PATCH}")
set(VORLIX_PRODUCT_BUILD_TIME "UTC 2026-08-14 08:30:04 (Friday)")
configure_file("${CMAKE_CURRENT_LIST_DIR}/pb_product.h.in" "${CMAKE_BINARY_DIR}/generated/pb/pb_product.h" @ONLY)

# vorlix_warnings(TARGET): the warnings every target of the project is built
# with; VORLIX_WERROR makes them errors.
function(vorlix_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${VORLIX_WERROR}>:-Werror>)
endfunction()

# vorlix_library(NAME DIR PREFIX [LIBS ...]): a shared library made of every
# .cpp below source/DIR, exporting only the names that begin with PREFIX.
function(vorlix_library name dir prefix)
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/source/${dir}/*.cpp")
  add_library(${name} SHARED ${srcs})
  vorlix_warnings(${name})
  target_include_directories(${name} PUBLIC "$<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}/source>"
    "$<BUILD_INTERFACE:${CMAKE_BINARY_DIR}/generated>"
    "$<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>")
  # Installed as vorlix::<prefix> (vorlix::cs) in the CMake package.
  set_target_properties(${name} PROPERTIES EXPORT_NAME ${prefix})
  set(map "${CMAKE_BINARY_DIR}/${name}.map")
  file(WRITE "${map}" "{ global: ${prefix}*; local: *; };\n")
  target_link_options(${name} PRIVATE "-Wl,--version-script=${map}")
  # Sanitizer runtimes come from the executable under clang, so libraries
  # may only insist on resolving every symbol in plain builds.
  if(NOT VORLIX_SANITIZE)
    target_link_options(${name} PRIVATE "-Wl,--no-undefined")
  endif()
  set_target_properties(${name} PROPERTIES LINK_DEPENDS "${map}")
  # Other libraries are linked into the shared object; only the vorlix
  # libraries are part of its interface once installed.
  foreach(lib ${ARGN})
    if(lib MATCHES "^vorlix-")
      target_link_libraries(${name} PUBLIC ${lib})
    else()
      target_link_libraries(${name} PUBLIC "$<BUILD_INTERFACE:${lib}>")
    endif()
  endforeach()
  install(TARGETS ${name} EXPORT vorlixTargets LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}")
  install(DIRECTORY "${CMAKE_SOURCE_DIR}/source/${dir}" DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}"
    FILES_MATCHING PATTERN "*.h")
  set(VORLIX_PC_NAME ${name})
  # The prefix is found from the file's own place, so the tree can be
  # installed under any --prefix and moved.
  file(RELATIVE_PATH VORLIX_PC_UP "/root/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/root")
  set(VORLIX_PC_REQUIRES "")
  foreach(lib ${ARGN})
    if(lib MATCHES "^vorlix-")
      string(APPEND VORLIX_PC_REQUIRES " ${lib}")
    endif()
  endforeach()
  configure_file("${CMAKE_SOURCE_DIR}/cmake/vorlix.pc.in" "${CMAKE_BINARY_DIR}/pkgconfig/${name}.pc" @ONLY)
  install(FILES "${CMAKE_BINARY_DIR}/pkgconfig/${name}.pc" DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig")
endfunction()

# vorlix_test(FILE [LIBS libs...] [PROPERTIES props...]): one GoogleTest
# program for one test source. Each case is its own ctest entry, named
# <program>.<Suite>.<Case> (the cases are listed when ctest runs, so a build
# needs no run of the program); PROPERTIES are added to every case.
function(vorlix_test file)
  cmake_parse_arguments(arg "" "" "LIBS;PROPERTIES" ${ARGN})
  get_filename_component(stem "${file}" NAME_WE)
  file(RELATIVE_PATH rel "${CMAKE_SOURCE_DIR}/tests" "${file}")
  get_filename_component(reldir "${rel}" DIRECTORY)
  string(REPLACE "/" "_" prefix "${reldir}")
  set(t "test_${prefix}_${stem}")
  add_executable(${t} "${file}")
  vorlix_warnings(${t})
  target_link_libraries(${t} PRIVATE vorlix_test_support ${arg_LIBS})
  # A case runs on the manual clock and never waits for the wall clock; the
  # timeout only leaves room for a loaded machine and the sanitizers.
  gtest_discover_tests(${t} TEST_PREFIX "${t}." DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 120 ${arg_PROPERTIES})
endfunction()

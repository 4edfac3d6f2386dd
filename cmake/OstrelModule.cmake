# ostrel_module(NAME [DEPS target...])
#
# Builds one folder: every .cpp below it (except *_test.cpp, *_main.cpp,
# *_fuzz.cpp and *_shlib.cpp, a shared library's source) goes into the static
# library ostrel_NAME; every *_test.cpp into one test binary NAME_tests, registered with ctest. New files are picked up
# on the next build without touching any CMakeLists.
function(ostrel_module name)
  cmake_parse_arguments(ARG "" "" "DEPS;TEST_DEPS" ${ARGN})
  file(GLOB_RECURSE all_sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  set(lib_sources "")
  set(test_sources "")
  foreach(src IN LISTS all_sources)
    if(src MATCHES "_test\\.cpp$")
      list(APPEND test_sources ${src})
    elseif(src MATCHES "(_main|_fuzz|_shlib)\\.cpp$" OR src MATCHES "/testdata/")
      # entry points and fuzz targets are built by the folder's own CMakeLists
    else()
      list(APPEND lib_sources ${src})
    endif()
  endforeach()

  if(lib_sources)
    add_library(ostrel_${name} STATIC ${lib_sources})
    target_include_directories(ostrel_${name} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
    target_link_libraries(ostrel_${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(ostrel_${name} INTERFACE)
    target_include_directories(ostrel_${name} INTERFACE ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
    target_link_libraries(ostrel_${name} INTERFACE ${ARG_DEPS})
  endif()

  if(test_sources)
    add_executable(${name}_tests ${test_sources})
    target_link_libraries(${name}_tests PRIVATE ostrel_${name} ${ARG_TEST_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
    target_compile_definitions(${name}_tests PRIVATE
      OSTREL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
      OSTREL_BINARY_DIR="${PROJECT_BINARY_DIR}")
    add_test(NAME ${name}_tests COMMAND ${name}_tests)
    set_tests_properties(${name}_tests PROPERTIES TIMEOUT 600 LABELS unit)
  endif()
endfunction()

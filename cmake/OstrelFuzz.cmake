# ostrel_fuzz_target(ENTRY GROUP group LINK target... CORPUS dir... [DEPENDS target...] [FULL_STACKS])
#
# One fuzz entry, ENTRY.cpp below the calling folder (e.g. worksheet/biff8_fuzz;
# NAME, its file name, ends in _fuzz), which defines LLVMFuzzerTestOneInput and, if it needs a one-time set-up,
# LLVMFuzzerInitialize. Every fuzz entry is built the same way:
# - in the normal build, NAME_replay: the entry with the one replay main
#   (platform/testing/fuzz_replay_main.cpp), registered with ctest as
#   NAME_replay over the committed corpus directories (labels unit and fuzz);
# - in the fuzz build (OSTREL_FUZZ, Clang), NAME: a libFuzzer binary over the
#   project's libraries, all of them built with AddressSanitizer,
#   UndefinedBehaviorSanitizer and the fuzzer's coverage.
# The normal build makes the fuzz build on demand when clang++ is found: target
# GROUP_fuzz (every entry of the group) or ostrel_fuzz (every entry) configures
# <build>/fuzz with clang++ and builds there, e.g. <build>/fuzz/tableio/biff8_fuzz.
# Both builds define OSTREL_SOURCE_DIR and OSTREL_BINARY_DIR for the entry, and
# give it the leak checker's defaults (platform/testing/sanitizer_defaults_fuzz.cpp),
# so that a fuzz binary suppresses the third-party leaks the tests suppress;
# FULL_STACKS, for an entry whose third-party leaks are named by a function
# of the library, records full stacks of every allocation (slower).

if(NOT OSTREL_FUZZ)
  find_program(OSTREL_CLANGXX NAMES clang++)
  find_program(OSTREL_CLANG NAMES clang)
endif()

# The target that builds the named fuzz-build target, made once per name.
function(ostrel_fuzz_build_target target)
  if(TARGET ${target} OR NOT OSTREL_CLANGXX OR NOT OSTREL_CLANG)
    return()
  endif()
  set(fuzz_dir ${PROJECT_BINARY_DIR}/fuzz)
  add_custom_target(${target}
    COMMAND ${CMAKE_COMMAND} -S ${PROJECT_SOURCE_DIR} -B ${fuzz_dir} -G ${CMAKE_GENERATOR}
            -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=${OSTREL_CLANG} -DCMAKE_CXX_COMPILER=${OSTREL_CLANGXX}
            -DOSTREL_FUZZ=ON -DOSTREL_BENCH=OFF -DOSTREL_UNIT_ONLY=ON
    COMMAND ${CMAKE_COMMAND} --build ${fuzz_dir} --target ${target}
    COMMENT "Building ${target} in ${fuzz_dir}"
    USES_TERMINAL  # the console pool also keeps two of them from building the fuzz build at once
    VERBATIM)
endfunction()

function(ostrel_fuzz_target entry_path)
  cmake_parse_arguments(ARG "FULL_STACKS" "GROUP" "LINK;CORPUS;DEPENDS" ${ARGN})
  set(entry ${CMAKE_CURRENT_SOURCE_DIR}/${entry_path}.cpp)
  get_filename_component(name ${entry_path} NAME)
  set(definitions OSTREL_SOURCE_DIR="${PROJECT_SOURCE_DIR}" OSTREL_BINARY_DIR="${PROJECT_BINARY_DIR}")
  set(defaults ${PROJECT_SOURCE_DIR}/platform/testing/sanitizer_defaults_fuzz.cpp)
  if(ARG_FULL_STACKS)
    list(APPEND definitions OSTREL_LSAN_FULL_STACKS)
  endif()
  if(OSTREL_FUZZ)
    add_executable(${name} ${entry} ${defaults})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    if(NOT TARGET ${ARG_GROUP}_fuzz)
      add_custom_target(${ARG_GROUP}_fuzz)
    endif()
    if(NOT TARGET ostrel_fuzz)
      add_custom_target(ostrel_fuzz)
    endif()
    add_dependencies(${ARG_GROUP}_fuzz ${name})
    add_dependencies(ostrel_fuzz ${name})
  else()
    set(name ${name}_replay)
    add_executable(${name} ${entry} ${defaults} ${PROJECT_SOURCE_DIR}/platform/testing/fuzz_replay_main.cpp)
    add_test(NAME ${name} COMMAND ${name} ${ARG_CORPUS})
    set_tests_properties(${name} PROPERTIES TIMEOUT 300 LABELS "unit;fuzz")
    ostrel_fuzz_build_target(${ARG_GROUP}_fuzz)
    ostrel_fuzz_build_target(ostrel_fuzz)
  endif()
  target_compile_definitions(${name} PRIVATE ${definitions})
  target_link_libraries(${name} PRIVATE ${ARG_LINK})
  if(ARG_DEPENDS)
    add_dependencies(${name} ${ARG_DEPENDS})
  endif()
endfunction()

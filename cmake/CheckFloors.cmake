# Run as a test: cmake -DSOURCE_DIR=<root> -P CheckFloors.cmake
# Fails when a file of a floor includes a header of a floor it may not use:
# the solution fill and the writers stand side by side, and the result
# objects below both of them; none of them reaches the export or the runner.
set(rules
  "writers|solutionfill/|results/[a-z_]+\\.h|runner/"
  "solutionfill|writers/|results/[a-z_]+\\.h|runner/"
  "results/objects|solutionfill/|writers/|results/[a-z_]+\\.h|runner/")
set(failures "")
foreach(rule IN LISTS rules)
  string(REPLACE "|" ";" parts "${rule}")
  list(POP_FRONT parts folder)
  list(JOIN parts "|" forbidden)
  file(GLOB_RECURSE files ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(path IN LISTS files)
    file(STRINGS ${path} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"(${forbidden})")
    foreach(line IN LISTS lines)
      file(RELATIVE_PATH name ${SOURCE_DIR} ${path})
      string(APPEND failures "${name}: ${line}\n")
    endforeach()
  endforeach()
endforeach()
if(failures)
  message(FATAL_ERROR "Includes across the floors:\n${failures}")
endif()

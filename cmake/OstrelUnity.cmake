# The unity build (OSTREL_UNITY): each target's sources compiled in batches of
# eight, one translation unit per batch, which saves reparsing the same headers
# for every file. scripts/test.sh builds its sanitizer builds so; the normal
# build compiles every file on its own, which proves each file includes what it
# uses.
#
# Files in one batch share their file-local names. A file whose local names
# clash with a neighbour's, or whose overloads would become ambiguous, is
# compiled on its own: list it below (path from the source root).
set(OSTREL_UNITY_ALONE
    caseset/config/export_config_reader_test.cpp
    caseset/modeltables/table_fil_table_test.cpp
    caseset/modeltables/table_files_test.cpp
    caseset/plantdata/raw_receive.cpp
    caseset/scenario/parametric_chains.cpp
    caseset/scenario/parametric_truncation.cpp
    caseset/scenario/scenario_execution_logic.cpp
    modelfile/tulo_block.cpp
    platform/out_file_stream_test.cpp
    results/trancol_export.cpp
    runner/ostrel_startup.cpp
    solutionfill/core/derived_stream_qualities.cpp
    solutionfill/core/group_qualities.cpp
    solutionfill/economics/inventory_links.cpp
    solutionfill/economics/property_conversion_rows.cpp
    solutionfill/economics/unit_operations.cpp
    tableio/worksheet/excel2_wks_io.cpp
    tableio/worksheet/excel3_wks_io.cpp
    tableio/worksheet/excel3_wks_io_test.cpp
    tableio/worksheet/excel4_wks_io.cpp
    tableio/worksheet/excel5_wks_io.cpp
    tableio/worksheet/excel5_wks_io_test.cpp
    tableio/worksheet/wks_file_test.cpp
    tableio/worksheet/wks_io_innards.cpp
    tableio/worksheet/workbook_reader_test.cpp
    tools/model_generator/model_generator_test.cpp
    writers/legacy/report_writer_tables.cpp
    writers/legacy/report_writer_tables_test.cpp
    writers/matrix/matrix_tables.cpp
    writers/matrix/mps_file_test.cpp
    writers/model_writer.cpp
    writers/transaction_writer.cpp
    writers/unit_writer.cpp)

# Test binaries whose tests share process state (the ODBC driver manager reads its configuration once) and
# pass only in the order the normal build links them: compiled file by file.
set(OSTREL_UNITY_OFF_TARGETS tableio_tests)

# Marks the files above in every folder of the project (a source file's properties belong to the folder
# that makes its target), and the targets above; call it once every folder is added.
function(ostrel_unity_alone)
  if(NOT OSTREL_UNITY)
    return()
  endif()
  set(files "")
  foreach(file IN LISTS OSTREL_UNITY_ALONE)
    list(APPEND files ${PROJECT_SOURCE_DIR}/${file})
  endforeach()
  set(pending ${PROJECT_SOURCE_DIR})
  while(pending)
    list(POP_FRONT pending dir)
    set_source_files_properties(${files} DIRECTORY ${dir} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    list(APPEND pending ${subdirs})
  endwhile()
  foreach(target IN LISTS OSTREL_UNITY_OFF_TARGETS)
    if(TARGET ${target})
      set_target_properties(${target} PROPERTIES UNITY_BUILD OFF)
    endif()
  endforeach()
endfunction()

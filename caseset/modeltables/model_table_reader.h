#pragma once
// Model tables by name, for the builders of the solution fill and the case
// table readers: the table index of a model ("tables.map", or the managed
// index of the case) and one table into a CTableFilTable from the table
// cache ("tables.fil" / "tables.tmp", or the managed cache and stream cache).
//
// The model keeps what is loaded: the index in m_tableMaps, the whole plain
// cache in m_tableFilImage, the case's stream cache record in m_tableMapImage
// and the matrix directory among m_tableMapBuffers (GetMatrixDirectory).
//
// Classic naming (export kind 1 and the deciding model's "UseZelunMGOn" 0)
// reads the fixed names in the model's subdirectory; managed naming reads the
// files the file-name manager names for the generating case. The deciding
// model is the export's table model, else its main model, else the model
// passed. Failures are reported as message boxes (kind 1) or as texts to the
// table progress callback (kind 2).

#include <cstdint>
#include <string>

#include "caseset/modeltables/matrix_directory.h"
#include "caseset/modeltables/table_fil_table.h"

class CVornDbExportData;
class CVornModelFile;

// The model's directory data, attached on first use; it lives with the model
// (among the buffers of its table index) and is freed with it.
CMatrixDirectoryData& GetMatrixDirectoryData(CVornModelFile& model);
inline CMatrixDirectory& GetMatrixDirectory(CVornModelFile& model) {
  return GetMatrixDirectoryData(model).m_MatrixDirectory;
}

// The row factors of the model's table index, from the named values of its
// directory: an LP row name -> its factor (m_dValue) and basis flag
// (m_nNumber, 1 volume). Only the compact index carries them; empty until read.
inline const CNamedValueTable& GetRowFactors(CVornModelFile& model) {
  return GetMatrixDirectoryData(model).m_NamedValues;
}

// Message ids of the model-table readers.
inline constexpr std::uint32_t kIdsTableMissingInMap = 534;  // %1: the table
inline constexpr std::uint32_t kIdsUnableToOpenFile = 2510;  // %1: the path

// Rebuilds the model's table index from the files of the current case; with
// withDirectory also reads the matrix directory. With report false a missing
// managed index of a generating case is not shown in kind 1.
bool ReadTablesMap(CVornDbExportData& exportData, CVornModelFile* model, bool withDirectory, bool report);

// Loads one table (reading the index first when the model has none). table
// is reset to the name first and stays so on failure. With report false a
// table the index lacks is a silent false.
bool ReadFilTable(CVornDbExportData& exportData, const char* tableName, CVornModelFile* model,
                  CTableFilTable* table, bool report);

// What is wrong with the model's own table files, read as a case reads them:
// "tables.map" with its matrix directory and every table of the cache
// ("tables.fil") that it lists. Empty when they read whole or are absent, and
// with managed naming (those files belong to a case). Shows nothing and keeps
// nothing in the model: a worker checks these once before its first case.
std::string FindDamagedModelTableFiles(const CVornDbExportData& exportData, const CVornModelFile& model);

// The case whose matrix files apply to the current case: up the Modifies
// chain of the case set to the nearest case whose matrix was generated; 0
// when the chain ends without one (or runs in a circle).
std::int32_t GetGeneratingCase(const CVornDbExportData& exportData);

// Appends the payload of the first record keyed key of a keyed record file.
bool ReadKeyedRecord(const std::string& path, std::string& stream, std::int32_t key);

// Passes text to the export's table progress callback when one is installed.
void ReportMessage(const CVornDbExportData& exportData, const std::string& text);

// The managed names of a case's table files, from the file-name manager.
std::string GetTableCacheName(std::int32_t caseNumber);
std::string GetTableIndexName(std::int32_t caseNumber);
std::string GetTableStreamCacheName(std::int32_t caseNumber);
std::string GetTableStreamIndexName(std::int32_t caseNumber);

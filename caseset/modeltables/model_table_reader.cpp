#include "caseset/modeltables/model_table_reader.h"

#include <sstream>

#include "caseset/config/assembled_case.h"
#include "caseset/modeltables/matrix_directory.h"
#include "caseset/modeltables/table_files.h"
#include "caseset/vorn_db_export_data.h"
#include "foundation/input_failure.h"
#include "foundation/messages.h"
#include "foundation/path_utils.h"
#include "modelfile/vorn_model_file.h"
#include "platform/string_table.h"
#include "standins/file_name_manager.h"

namespace {

const plat::StringTableRegistrar kModelTableStrings(
    plat::StringTable::Program,
    {
        {kIdsTableMissingInMap, "Entry for table %1 missing in table map. Regenerate matrix"},
        {kIdsUnableToOpenFile, "Unable to open the file: %1"},
    });

const CVornModelFile* DecidingModel(const CVornDbExportData& exportData, const CVornModelFile* model) {
  if (exportData.m_pTableModel) return exportData.m_pTableModel;
  if (exportData.m_pModel) return exportData.m_pModel.get();
  return model;
}

bool UsesManagedNames(const CVornDbExportData& exportData, const CVornModelFile* model) {
  const CVornModelFile* deciding = DecidingModel(exportData, model);
  return exportData.m_nExportKind == 2 || (deciding && deciding->m_settings.m_UseZelunMGOn.GetValue() != 0);
}

// Kind 2 always sends the text; kind 1 shows message 2510 when show is set. A file that is there and cannot
// be opened fails the case that needs it.
void ReportOpenFailure(const CVornDbExportData& exportData, const std::string& path, bool show) {
  if (show && FileExists(path)) NoteInputFailure("the model table file " + path + " cannot be opened");
  if (exportData.m_nExportKind == 2)
    ReportMessage(exportData, "Unable to open the file: " + path);
  else if (show)
    ShowFormattedError1(kIdsUnableToOpenFile, path, false);
}

// A damaged file is reported whatever the caller's report flag says, and fails the case that needs it.
void ReportDamage(const CVornDbExportData& exportData, const std::string& error) {
  NoteInputFailure(error);
  if (exportData.m_nExportKind == 2)
    ReportMessage(exportData, error);
  else
    ShowErrorMessage(error, false);
}

// The reader's error with the file named, where it does not name it already.
std::string WithPath(const std::string& error, const std::string& path) {
  return error.find(path) == std::string::npos ? error + " (" + path + ")" : error;
}

std::string TablePath(const CVornDbExportData& exportData, const CVornModelFile* model, const std::string& name) {
  return exportData.GetModelTableFilePath(model, model->m_strModelName, name);
}

// Reads a whole index file; false after reporting.
bool ReadIndexFile(const CVornDbExportData& exportData, const std::string& path, bool show, std::string& bytes) {
  if (ReadFileIntoStream(path, bytes)) return true;
  ReportOpenFailure(exportData, path, show);
  return false;
}

bool ReadCompactSection(const CVornDbExportData& exportData, CTableFileCursor& cursor, CVornModelFile* model,
                        bool fromStream, const std::string& path) {
  std::string error;
  if (ReadCompactTableIndex(cursor, model->m_tableMaps, fromStream, error)) return true;
  ReportDamage(exportData, WithPath(error, path));
  return false;
}

bool ReadClassicIndex(CVornDbExportData& exportData, CVornModelFile* model, bool withDirectory) {
  const std::string path = TablePath(exportData, model, "tables.map");
  std::string bytes;
  if (!ReadIndexFile(exportData, path, true, bytes)) return false;
  CTableFileCursor cursor(bytes);
  std::string error;
  const bool read = ReadClassicTableIndex(cursor, model->m_settings.m_ModelTables.GetValue(), model->m_tableMaps, error);
  model->m_tableMaps.Sort(&CTableMap::CompareElements);
  // An index that ends with its table section holds no directory; one that begins and breaks off is damaged.
  if (read && withDirectory && cursor.AtEnd()) GetMatrixDirectory(*model).Reset();
  else if (read && withDirectory) ReadClassicMatrixDirectory(cursor, GetMatrixDirectoryData(*model), error);
  if (!error.empty()) ReportDamage(exportData, WithPath(error, path));
  return error.empty();
}

bool ReadManagedIndex(CVornDbExportData& exportData, CVornModelFile* model, bool withDirectory, bool report) {
  const std::int32_t fileCase = exportData.m_nOutputCaseNumber;
  const std::int32_t generating = GetGeneratingCase(exportData);
  // The first stream read carries the case's matrix directory.
  std::string first;
  std::string firstPath;
  std::int64_t directoryStart = 0;
  if (generating == fileCase) {
    firstPath = TablePath(exportData, model, GetTableIndexName(fileCase));
    if (!ReadIndexFile(exportData, firstPath, report, first)) return false;
    CTableFileCursor cursor(first);
    if (!ReadCompactSection(exportData, cursor, model, false, firstPath)) return false;
    directoryStart = cursor.GetPosition();
  } else {
    firstPath = TablePath(exportData, model, GetTableStreamIndexName(generating));
    std::string error;
    if (!ReadKeyedRecordFile(firstPath, first, fileCase, error)) {
      if (!error.empty())
        ReportDamage(exportData, WithPath(error, firstPath));
      else
        ReportOpenFailure(exportData, firstPath, true);
      return false;
    }
    CTableFileCursor cursor(first);
    if (!ReadCompactSection(exportData, cursor, model, true, firstPath)) return false;
    directoryStart = cursor.GetPosition();
    const std::string path = TablePath(exportData, model, GetTableIndexName(generating));
    std::string own;
    if (!ReadIndexFile(exportData, path, true, own)) return false;
    CTableFileCursor ownCursor(own);
    if (!ReadCompactSection(exportData, ownCursor, model, false, path)) return false;
  }
  model->m_tableMaps.Sort(&CTableMap::CompareElements);
  if (!withDirectory) return true;
  CTableFileCursor cursor(first);
  cursor.SetPosition(directoryStart);
  std::string error;
  if (ReadCompactMatrixDirectory(cursor, GetMatrixDirectoryData(*model), error)) return true;
  ReportDamage(exportData, WithPath(error, firstPath));
  return false;
}

std::string ManagedName(const char* fileName, std::int32_t caseNumber) {
  return CreateFileNameManager()->GetCaseFileName(fileName, caseNumber);
}

}  // namespace

CMatrixDirectoryData& GetMatrixDirectoryData(CVornModelFile& model) {
  for (const auto& object : model.m_tableMapBuffers.m_objects)
    if (auto* data = dynamic_cast<CMatrixDirectoryData*>(object.get())) return *data;
  auto data = std::make_unique<CMatrixDirectoryData>();
  CMatrixDirectoryData& result = *data;
  model.m_tableMapBuffers.m_objects.push_back(std::move(data));
  return result;
}

std::string GetTableCacheName(std::int32_t caseNumber) { return ManagedName("tables.fil", caseNumber); }
std::string GetTableIndexName(std::int32_t caseNumber) { return ManagedName("tables.map", caseNumber); }
std::string GetTableStreamCacheName(std::int32_t caseNumber) { return ManagedName("tablestream.fil", caseNumber); }
std::string GetTableStreamIndexName(std::int32_t caseNumber) { return ManagedName("tablestream.map", caseNumber); }

void ReportMessage(const CVornDbExportData& exportData, const std::string& text) {
  if (exportData.m_pfnTableProgress) exportData.m_pfnTableProgress(text);
}

bool ReadKeyedRecord(const std::string& path, std::string& stream, std::int32_t key) {
  std::string error;
  return ReadKeyedRecordFile(path, stream, key, error);
}

std::int32_t GetGeneratingCase(const CVornDbExportData& exportData) {
  const std::int32_t fileCase = exportData.m_nOutputCaseNumber;
  if (!exportData.m_paAssembledCases) return fileCase;
  const CVornModelFile* model = DecidingModel(exportData, nullptr);
  const std::string modelName = model ? model->m_strModelName : std::string();
  const CAssembledCaseArray& cases = *exportData.m_paAssembledCases;
  std::int32_t number = fileCase;
  // A chain longer than the case set runs in a circle.
  for (int step = 0; step <= cases.GetSize(); ++step) {
    const CAssembledCase probe(number, modelName);
    const CAssembledCase* found = cases.Find(&probe);
    if (!found) return 0;
    if (found->m_bGenerate) return found->m_nNumber;
    if (found->m_nModifies == 0) return 0;
    number = found->m_nModifies;
  }
  return 0;
}

bool ReadTablesMap(CVornDbExportData& exportData, CVornModelFile* model, bool withDirectory, bool report) {
  ReportMessage(exportData, "Reading tables Map");
  if (!model) return false;
  model->m_tableMaps.RemoveAll();
  if (model->m_tableFilImage.IsLoaded()) model->m_tableFilImage.Release();
  if (model->m_tableMapImage.IsLoaded()) model->m_tableMapImage.Release();
  if (exportData.m_paExtraTableMaps) exportData.m_paExtraTableMaps->RemoveAll();
  if (!UsesManagedNames(exportData, model)) return ReadClassicIndex(exportData, model, withDirectory);
  return ReadManagedIndex(exportData, model, withDirectory, report);
}

bool ReadFilTable(CVornDbExportData& exportData, const char* tableName, CVornModelFile* model,
                  CTableFilTable* table, bool report) {
  const std::string name = tableName ? tableName : "";
  if (!table) return false;
  table->Reset(name);
  ReportMessage(exportData, "Reading Fil Table for " + name);
  if (!model) return false;
  if (model->m_tableMaps.IsEmpty() && !ReadTablesMap(exportData, model, false, report)) return false;

  const CTableMap probe(name);
  const CTableMap* entry = model->m_tableMaps.Find(&probe);
  if (!entry) {
    if (!report) return false;
    if (exportData.m_nExportKind == 2)
      ReportMessage(exportData, "Entry for table " + name + " missing in table map. Regenerate matrix");
    else
      ShowFormattedError1(kIdsTableMissingInMap, name, false);
    return false;
  }

  std::string error;
  if (!UsesManagedNames(exportData, model)) {
    const int width = (model->m_settings.m_ModelType.GetValue() == 3 && name == "ROWS") ? 9 : 8;
    const std::string path = TablePath(exportData, model, exportData.m_bDataValidation ? "tables.tmp" : "tables.fil");
    // The cache is read whole once for the index it belongs to (a new index releases it); a file that cannot be
    // read whole is read record by record, which reports why it fails.
    CFileImage& image = model->m_tableFilImage;
    if (!image.IsLoaded() || image.GetFileName() != path) image.LoadFile(path);
    const bool read = image.IsLoaded() ? ReadClassicTableRecordImage(CTableFileCursor(image.GetView()), path, *entry,
                                                                     width, *table, error)
                                       : ReadClassicTableRecordFile(path, *entry, width, *table, error);
    if (read) return true;
    if (error.empty())
      ReportOpenFailure(exportData, path, true);
    else
      ReportDamage(exportData, WithPath(error, path));
    table->Reset(name);
    return false;
  }

  const std::int32_t generating = GetGeneratingCase(exportData);
  CFileImage& image = entry->m_bFromStream ? model->m_tableMapImage : model->m_tableFilImage;
  if (!image.IsLoaded()) {
    std::string path;
    bool loaded = false;
    if (entry->m_bFromStream) {
      path = TablePath(exportData, model, GetTableStreamCacheName(generating));
      std::string record;
      if (ReadKeyedRecordFile(path, record, exportData.m_nOutputCaseNumber, error)) {
        std::istringstream stream(std::move(record));
        loaded = image.LoadStream(stream);
      }
    } else {
      path = TablePath(exportData, model, GetTableCacheName(generating));
      loaded = image.LoadFile(path);
    }
    if (!loaded) {
      if (error.empty())
        ReportOpenFailure(exportData, path, true);
      else
        ReportDamage(exportData, WithPath(error, path));
      return false;
    }
  }
  CTableFileCursor cursor(image.GetView());
  if (ReadCompactTableRecord(cursor, *entry, *table, error)) return true;
  ReportDamage(exportData, WithPath(error, image.GetFileName()));
  table->Reset(name);
  return false;
}

std::string FindDamagedModelTableFiles(const CVornDbExportData& exportData, const CVornModelFile& model) {
  if (UsesManagedNames(exportData, &model)) return std::string();
  const std::string indexPath = TablePath(exportData, &model, "tables.map");
  if (!FileExists(indexPath)) return std::string();
  std::string bytes;
  if (!ReadFileIntoStream(indexPath, bytes)) return "the model table file " + indexPath + " cannot be read";
  CTableFileCursor cursor(bytes);
  CTableIndex index;
  std::string error;
  if (ReadClassicTableIndex(cursor, model.m_settings.m_ModelTables.GetValue(), index, error) && !cursor.AtEnd()) {
    CMatrixDirectoryData directory;
    ReadClassicMatrixDirectory(cursor, directory, error);
  }
  if (!error.empty()) return WithPath(error, indexPath);

  const std::string cachePath = TablePath(exportData, &model, exportData.m_bDataValidation ? "tables.tmp" : "tables.fil");
  if (index.IsEmpty() || !FileExists(cachePath)) return std::string();
  CFileImage image;
  image.LoadFile(cachePath);
  for (const CTableMap* entry : index) {
    if (!entry) continue;
    const int width = (model.m_settings.m_ModelType.GetValue() == 3 && entry->m_strName == "ROWS") ? 9 : 8;
    CTableFilTable table;
    const bool read = image.IsLoaded() ? ReadClassicTableRecordImage(CTableFileCursor(image.GetView()), cachePath,
                                                                     *entry, width, table, error)
                                       : ReadClassicTableRecordFile(cachePath, *entry, width, table, error);
    if (!read) return error.empty() ? "the model table file " + cachePath + " cannot be read" : WithPath(error, cachePath);
  }
  return std::string();
}

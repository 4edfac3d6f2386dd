// The table catalogue: the built-in tables, the assay and submodel tables,
// and the facts derived from the catalogue after a load.

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "modelfile/model_table_key_reader.h"
#include "modelfile/vorn_model_file.h"
#include "tableio/worksheet/excel8_wks_io.h"

namespace {

struct CatalogueRow {
  std::int32_t category;
  std::vector<const char*> names;
};

// The built-in catalogue in the order it is added; the global-model row
// (GBLNPER, ACCUQUAL) is added between the rows of codes 11 and 12.
const std::vector<CatalogueRow>& BuiltInCatalogue() {
  static const std::vector<CatalogueRow> rows = {
      {3, {"KESH", "KESHOPT", "KESHMAP", "KESHSUBF", "ADDITIVE", "ADDLEVS", "BLENDS", "BLNCAP", "BLNMIP", "BLNMIX",
           "BLNPROP", "BLNSPEC", "BLNTARG", "GBLNMIX", "GBLNSPEC", "INTERACT", "NLPROP", "PBONUS", "PROPRNG", "RFG",
           "WSPECS"}},
      {4, {"ASSAYLIB"}},
      {2, {"ASSAYS"}},
      {4, {"CRDALLOC", "CRDBLEND", "CRDCUTS", "CRDDISTL", "CRDPOOLS", "CRDQUAL", "CRDPCALC", "CRDTANKS", "NEWCUT",
           "SWING"}},
      {14, {"MICROCUT", "NCRDCUTS", "ATMDISTL", "VACDISTL", "NCUTPOOL", "NCRDROWS", "TESTRUN"}},
      {5, {"BOUNDS", "CASE", "DISABLE", "DISPLAY", "EXPERT", "GASES", "GOBOUNDS", "GROUPS", "INDEX", "MIP", "MSGSUP",
           "PARAOBJ", "PCALC", "PCALCB", "PERCASE", "PRNTABS", "RATIO", "REPORT", "ROWS", "RWGRPBLN", "RWGRPUNT",
           "RWGRPSTR", "RWXLTS", "SCALE", "SOLNKPIS", "SKEDLINK", "SKDSLICE", "SERVERS", "UNITS", "USER", "XBOUNDS"}},
      {6, {"CURVE", "NONLIN", "PDIST", "PGUESS", "UPOOL", "VPOOL"}},
      {8, {"ALTTAGS", "BUY", "CRDMIX", "RECEIVE", "SELL", "SHIP", "UTILBUY", "UTILSEL"}},
      {10, {"ACCUQUAL", "PBLNMIX", "PBLNPER", "PBLNSPEC", "PERIODS", "PINV", "PSPAN", "RFORMAT"}},
      {11, {"DEMAND", "DEPOTS", "DINV", "DEMALLOC", "GSUPPLY", "LOCTAGS", "MARKETS", "MARKTGRP", "MODELS", "MODES",
            "PLANTGRP", "SUPPLY", "TRANSFER"}},
  };
  return rows;
}

const std::vector<CatalogueRow>& BuiltInCatalogueTail() {
  static const std::vector<CatalogueRow> rows = {
      {12, {"EDITBNDS", "HOLIDAYS", "NOTDAILY", "OTHER", "SEQUENCE", "SHUTDOWN", "SLICEMAP", "STATTANK", "SXSKDLNK",
            "SXSKDSRE", "TIMEOFF", "TNK2TNK", "TRNSTIME"}},
      {13, {"SOREL_Blenders", "SOREL_Blend_Mix", "SOREL_Blend_Targets", "SOREL_Components", "SOREL_Config",
            "SOREL_Initial_Tank_Service", "SOREL_Products", "SOREL_Tanks", "SOREL_Qualities", "SOREL_Product_Specs"}},
      {9, {"CAPS", "GASPLANT", "PROCLIM", "SUBMODS"}},
  };
  return rows;
}

constexpr std::int32_t kAssayCategory = 2;
constexpr std::int32_t kSubmodelCategory = 7;

// The default of CommonStartDate, which marks a date never set.
bool IsCommonStartDateSentinel(const plat::OleDateTime& date) {
  const plat::OleDateTime sentinel(1900, 1, 1, 1, 1, 1);
  return date.IsValid() && std::fabs(date.GetValue() - sentinel.GetValue()) * 86400.0 < 0.5;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The catalogue's tables by name for the steps that add many tables: one
// look-up per name instead of a search of the whole catalogue. The first
// table of a name wins, as with a search from the front.
class TableIndex {
 public:
  template <typename Tables>
  explicit TableIndex(const Tables& tables) {
    m_byName.reserve(static_cast<std::size_t>(tables.GetSize()) + 256);
    for (CVornModelFileTable* table : tables) m_byName.emplace(table->m_strName, table);
  }
  CVornModelFileTable* Find(const std::string& name) const {
    const auto found = m_byName.find(name);
    return found != m_byName.end() ? found->second : nullptr;
  }
  // Appends a new table to the catalogue and to the index.
  template <typename Tables>
  void Append(Tables& tables, const std::string& name, std::int32_t category) {
    CVornModelFileTable* table = tables.GetAt(tables.Add(std::make_unique<CVornModelFileTable>(name, category)));
    m_byName.emplace(table->m_strName, table);
  }

 private:
  std::unordered_map<std::string_view, CVornModelFileTable*> m_byName;
};

}  // namespace

void CVornModelFile::AddCatalogueTable(const std::string& name, std::int32_t category) {
  if (FindTable(name) == nullptr) m_tables.Add(std::make_unique<CVornModelFileTable>(name, category));
}

bool CVornModelFile::CutTablesAllowed() const {
  return m_settings.m_UseNimboOn.GetValue() != 0 && m_settings.m_Zelun_ShortcutDistlOn.GetValue() != 0;
}

CVornModelFileTable* CVornModelFile::FindSortedTable(const std::string& name) const {
  const CVornModelFileTable probe(name, 0);
  return m_tables.Find(&probe);
}

bool CVornModelFile::GetTableFiles(const std::string& tableName, std::vector<std::string>& paths,
                                   std::vector<std::string>& sheets) const {
  paths.clear();
  sheets.clear();
  const CVornModelFileTable* table = FindSortedTable(tableName);
  if (table == nullptr) return false;
  const bool cutTablesAllowed = CutTablesAllowed();
  for (int i = 0; i < table->m_files.GetSize(); ++i) {
    if (!table->IsFileUsable(i, cutTablesAllowed)) continue;
    paths.push_back(table->m_files[i]->GetFullPath(m_strModelDir));
    sheets.push_back(table->m_files[i]->GetSheetName());
  }
  return !paths.empty();
}

void CVornModelFile::PostLoadSetup(bool skipAssayAndSubmodelTables) {
  CModelSettings& s = m_settings;
  if (!s.m_StartDate.GetValue().IsValid()) s.m_StartDate.SetValue(plat::OleDateTime::GetCurrentTime());
  if (IsCommonStartDateSentinel(s.m_CommonStartDate.GetValue())) {
    if (s.m_ModelType.GetValue() == 1) m_bCommonStartDateSet = true;
    s.m_CommonStartDate.SetValue(s.m_StartDate.GetValue());
  }
  s.m_ModelTables.SetValue(500);
  s.m_SimplifiedFlowRowsOn.SetValue(1);
  const char* conopt = std::getenv("CONOPT");
  s.m_Zelun_Solver.SetValue(conopt != nullptr && conopt[0] != '\0' ? 1 : 0);

  {
    // Each built-in table is added when no table of its name is catalogued
    // yet: one pass over the catalogue finds the built-in names it holds.
    static const std::unordered_set<std::string_view> builtInNames = [] {
      std::unordered_set<std::string_view> names{"GBLNPER", "ACCUQUAL"};
      for (const auto* rows : {&BuiltInCatalogue(), &BuiltInCatalogueTail()})
        for (const CatalogueRow& row : *rows) names.insert(row.names.begin(), row.names.end());
      return names;
    }();
    std::unordered_set<std::string_view> present;
    for (const CVornModelFileTable* table : m_tables)
      if (builtInNames.count(table->m_strName) != 0) present.insert(table->m_strName);
    const auto add = [&](const char* name, std::int32_t category) {
      if (present.insert(name).second) m_tables.Add(std::make_unique<CVornModelFileTable>(name, category));
    };
    for (const CatalogueRow& row : BuiltInCatalogue())
      for (const char* name : row.names) add(name, row.category);
    if (s.m_ModelType.GetValue() == 3) {
      add("GBLNPER", 10);
      add("ACCUQUAL", 10);
    }
    for (const CatalogueRow& row : BuiltInCatalogueTail())
      for (const char* name : row.names) add(name, row.category);
  }

  const bool excelWasRunning = GetExcelApplication() != nullptr;
  FillDbConnectInfo();
  if (!skipAssayAndSubmodelTables) {
    AddSubmodelTables();
    AddAssayTables();
  }
  m_tables.Sort(CompareModelTables);

  m_strTableExt = s.m_ModelExt.GetValue();
  if (m_strTableExt.empty()) m_strTableExt = "Xls";

  const auto sourceCount = [this](const char* name) {
    const CVornModelFileTable* table = FindSortedTable(name);
    return table != nullptr ? table->m_files.GetSize() : 0;
  };
  m_nModelsFileCount = sourceCount("MODELS");
  m_nSubmodsFileCount = sourceCount("SUBMODS");
  m_nAssayLibFileCount = sourceCount("ASSAYLIB");

  for (const char* name : {"ADDITIVE", "ADDLEVS", "PBONUS", "KESH"})
    if (CVornModelFileTable* table = FindTable(name)) table->m_nCategory = 3;
  if (CVornModelFileTable* table = FindTable("RFORMAT")) table->m_nCategory = 10;

  if (!excelWasRunning && GetExcelApplication() != nullptr) {
    if (IModelTableKeyReader* reader = GetModelTableKeyReader()) reader->ForgetCachedWorkbook();
    ShutdownExcelApplication();
  }
}

// Reads the row keys of every enabled source of a table; false (and no keys)
// as soon as one source cannot be read.
bool CVornModelFile::ReadSourceKeys(const CVornModelFileTable& table, std::vector<std::string>& keys) const {
  keys.clear();
  IModelTableKeyReader* reader = GetModelTableKeyReader();
  if (reader == nullptr) return false;
  for (const CTableFile* file : table.m_files) {
    if (!file->m_bEnabled) continue;
    reader->ForgetCachedWorkbook();
    std::vector<std::string> rows;
    const bool read = reader->ReadRowKeys(file->GetFullPath(m_strModelDir), file->GetSheetName(), rows);
    reader->ForgetCachedWorkbook();
    if (!read) {
      keys.clear();
      return false;
    }
    keys.insert(keys.end(), rows.begin(), rows.end());
  }
  return true;
}

void CVornModelFile::AddAssayTables() {
  const CVornModelFileTable* assayLib = FindTable("ASSAYLIB");
  if (assayLib == nullptr) return;
  std::vector<std::string> names;
  if (!ReadSourceKeys(*assayLib, names)) return;
  for (std::string& name : names)
    if (name.size() > 8) name.resize(8);
  if (names.empty()) names.push_back("ASSAYS");

  const std::unordered_set<std::string> listed(names.begin(), names.end());
  std::unordered_set<std::string> keptLower;  // kept names compare without regard to case
  for (int i = m_tables.GetSize() - 1; i >= 0; --i) {
    const CVornModelFileTable* table = m_tables[i];
    if (table->m_nCategory != kAssayCategory || table->m_strName == "ASSAYLIB") continue;
    if (listed.count(table->m_strName) != 0)
      keptLower.insert(Lower(table->m_strName));
    else
      m_tables.RemoveAt(i);
  }

  m_assayTableNames.clear();
  m_nAssayTableSource = 0;
  TableIndex index(m_tables);
  for (const std::string& name : names) {
    if (const CVornModelFileTable* table = index.Find(name)) {
      for (const CTableFile* file : table->m_files) {
        if (!file->m_bEnabled) continue;
        m_assayTableNames.push_back(name);
        m_nAssayTableSource = 1;
      }
    }
    // Repeated names in the list are catalogued once.
    if (keptLower.count(Lower(name)) == 0 && index.Find(name) == nullptr) index.Append(m_tables, name, kAssayCategory);
  }

  if (m_assayTableNames.empty() && m_dbConnectInfo.m_nType != 0) {
    m_nAssayTableSource = 2;
    for (std::size_t i = 0; i < m_assayNumbers.size(); ++i)
      m_assayTableNames.push_back(i == 0 ? std::string("ASSAYS") : "ASSAY" + std::to_string(i + 1));
  }
  m_tables.Sort(CompareModelTables);
}

void CVornModelFile::AddSubmodelTables() {
  const CVornModelFileTable* submods = FindTable("SUBMODS");
  if (submods == nullptr) return;
  std::vector<std::string> keys;
  if (!ReadSourceKeys(*submods, keys)) return;
  std::vector<std::string> names;
  for (const std::string& key : keys)
    if (!key.empty()) names.push_back(key);

  const std::unordered_set<std::string> listed(names.begin(), names.end());
  std::unordered_set<std::string> kept;
  for (int i = m_tables.GetSize() - 1; i >= 0; --i) {
    const CVornModelFileTable* table = m_tables[i];
    if (table->m_nCategory != kSubmodelCategory) continue;
    if (listed.count(table->m_strName) != 0)
      kept.insert(table->m_strName);
    else
      m_tables.RemoveAt(i);
  }
  TableIndex index(m_tables);
  for (const std::string& name : names) {
    // Repeated names in the list are catalogued once.
    if (kept.count(name) == 0 && index.Find(name) == nullptr) index.Append(m_tables, name, kSubmodelCategory);
  }
  m_tables.Sort(CompareModelTables);
}

void CVornModelFile::FillDbConnectInfo() {
  const CModelSettings& s = m_settings;
  m_dbConnectInfo.SetType(s.m_DbInfoDatabaseType.GetValue());
  m_dbConnectInfo.m_strUser = s.m_DbInfoUsername.GetValue();
  m_dbConnectInfo.m_strPassword = s.m_DbInfoPassword.GetValue();
  m_dbConnectInfo.SetConnectionString(s.m_DbInfoDataSource.GetValue());
  m_dbConnectInfo.m_strDatabase = s.m_DbInfoDatabase.GetValue();
  m_dbConnectInfo.m_bIntegratedSecurity = s.m_DbInfoTrustedConnectionOn.GetValue() != 0;
}

#pragma once
// The in-memory form of one planning model: what its model file holds
// (tables and their sources, settings, servers, formulas, user equations,
// exchange tables, the report configuration, sections kept as text), its
// settings and their base copy, and what the rest of the system attaches to
// it while it writes a case's results.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/file_image.h"
#include "foundation/ptr_array.h"
#include "modelfile/case_data_records.h"
#include "modelfile/model_file_members.h"
#include "modelfile/output_table.h"
#include "modelfile/rec_object.h"
#include "modelfile/server.h"
#include "modelfile/table_map.h"
#include "modelfile/vorn_model_file_table.h"
#include "modelfile/vorn_wenu_table.h"
#include "platform/ado.h"
#include "platform/object.h"
#include "platform/odbc_database.h"
#include "platform/xml_dom.h"

class CDaoDatabase;

// The model file's name inside a model directory.
inline constexpr const char* kModelFileName = "VornModel.vrnx";
// The file's bytes, with a UTF-8 byte-order mark removed; when they do not
// begin with "<" they are deciphered with the model keys (model_text_cipher.h;
// deciphered then tells). 1 when the file is missing or was read with content,
// 0 when it is empty or unreadable.
int ReadModelText(const std::string& path, std::string& text, bool& deciphered);
// The whole file; false when it cannot be read or is empty.
bool ReadModelFileText(const std::string& path, std::string& text);

class CVornModelFile : public CObject {
 public:
  CVornModelFile();
  ~CVornModelFile() override;
  CVornModelFile(const CVornModelFile&) = delete;
  CVornModelFile& operator=(const CVornModelFile&) = delete;

  // ---- Loading (vorn_model_file_load.cpp; the other rooms' sections join in vorn_model_file_sections.cpp)
  // Loads parentDir/modelName/VornModel.vrnx; true also when the file is
  // absent (default settings and the built-in catalogue). text and unused
  // have no effect.
  bool Load(const std::string& modelName, const std::string& parentDir, const std::string& text, int unused,
            bool skipAssayAndSubmodelTables, bool skipExternalModels);
  // The same for a directory given whole; false when the model file is absent.
  bool LoadFromDirectory(const std::string& modelName, const std::string& modelDir);
  // Reads (deciphering when needed), parses and dispatches the sections.
  bool LoadXml(const std::string& path, bool skipExternalModels);
  // Why the last load returned false (empty after a load that succeeded).
  std::string m_strLoadError;

  // ---- Saving (model_file_writer.cpp)
  bool Save(const std::string& version, const std::string& comment, bool backup);
  bool WriteModelFile(const std::string& version, const std::string& comment, bool backup);

  // ---- Sections this class reads and writes itself (vorn_model_file_xml.cpp)
  void ReadTablesXml(const plat::XmlNode& tables);
  void ReadServersXml(const plat::XmlNode& servers);
  void ReadWenuTablesXml(const plat::XmlNode& wenuTables);
  void ReadReportConfigurationXml(const plat::XmlNode& reportConfiguration);
  // Appends "Tables" with one "Table" per source of each table, in order.
  void WriteTablesXml(plat::XmlNode& root) const;
  // Appends "Servers" / "WenuTables" when there is at least one entry.
  void WriteServersXml(plat::XmlNode& root) const;
  void WriteWenuTablesXml(plat::XmlNode& root) const;
  // Appends the document element of each kept section that still parses.
  void WriteKeptSectionsXml(plat::XmlNode& root) const;

  // ---- The table catalogue (vorn_model_file_catalogue.cpp)
  void PostLoadSetup(bool skipAssayAndSubmodelTables);
  // Appends a table without sources unless one of that name exists.
  void AddCatalogueTable(const std::string& name, std::int32_t category);
  // The full paths and sheets of the usable sources of a table; false for an
  // unknown table or one without usable sources. Needs the sorted catalogue.
  bool GetTableFiles(const std::string& tableName, std::vector<std::string>& paths,
                     std::vector<std::string>& sheets) const;
  void AddAssayTables();
  void AddSubmodelTables();
  // The table of that name (case-sensitive, linear search), or null.
  CVornModelFileTable* FindTable(const std::string& name) const;

  // Deletes every user equation group, equation and variable (each through
  // its own class) and empties both arrays.
  void ReleaseUserEquations();

 private:
  // Load steps shared by Load and LoadFromDirectory: default settings, empty
  // lists, names and paths.
  void ResetForLoad(const std::string& modelName, const std::string& modelDir);
  // The section readers of other rooms plug in here (vorn_model_file_sections.cpp):
  // before the text is read, before the first section, for a section this
  // class does not read itself (true when read, false to keep it as text),
  // after the last section, after every parse (also a failed one), and after
  // a load (the LST switch).
  void BeforeLoadXml();
  void BeginSections();
  bool ReadOtherSection(const plat::XmlNode& section);
  void EndSections();
  void AfterLoadXml();
  void ApplyLstSwitch();
  // The input-database descriptor from the DbInfo settings.
  void FillDbConnectInfo();
  bool CutTablesAllowed() const;
  // Binary search of the sorted catalogue.
  CVornModelFileTable* FindSortedTable(const std::string& name) const;
  bool ReadSourceKeys(const CVornModelFileTable& table, std::vector<std::string>& keys) const;
  // The settings reader's list position during a load.
  int m_nSettingsPosition = CSettingItemList::kNoPosition;

 public:
  // ---- Members, in this order
  std::vector<std::string> m_assayTableNames;
  std::int32_t m_nAssayTableSource = 0;
  bool m_bCanSave = true;
  bool m_bCommonStartDateSet = false;
  bool m_bOwnsExternalModels = true;
  bool m_bSkipWrite = false;
  bool m_bEncryptOnSave = true;
  bool m_bPlainXmlOnSave = false;
  bool m_bSilent = false;
  CVornModelFile* m_pExternalModelOwner = nullptr;
  std::string m_strModelName;
  std::string m_strModelDir;
  std::string m_strTableExt;
  std::string m_strModelFilePath;
  std::int32_t m_nBackupKeepPercent = 90;
  std::vector<std::string> m_keptSections;
  std::int32_t m_nModelsFileCount = 0;
  std::int32_t m_nSubmodsFileCount = 0;
  std::int32_t m_nAssayLibFileCount = 0;
  CModelSettings m_settings;
  CModelSettings m_baseSettings;
  CAutoDestructArray<CPtrArray, CVornModelFileTable*> m_tables;
  CAutoDestructArray<CPtrArray, CServer*> m_servers;
  std::vector<std::int32_t> m_assayNumbers;
  CAutoDestructArray<CPtrArray, CPropertyCalculation*> m_formulas;
  CAutoDestructArray<CPtrArray, IUserEquationGroup*> m_userEquationGroups;            // not owning
  CAutoDestructArray<CPtrArray, CUserDefinedEquationVariable*> m_userEquationVariables;  // not owning
  CAutoDestructArray<CPtrArray, CVornWenuTable*> m_wenuTables;
  CDatabase m_odbcDatabase;
  // The Access output database, opened by the database output; a shared handle
  // so this floor needs no header of the Access layer.
  std::shared_ptr<CDaoDatabase> m_daoDatabase;
  CDbConnectInfo m_dbConnectInfo;
  plat::AdoConnectionPtr m_pModelDbConnection;
  CAutoDestructArray<CPtrArray, COutputTable*> m_outputTables;
  CAutoDestructArray<CPtrArray, CSiOutputValue*> m_siOutputValues;
  CNimbo_Vars m_nimboVars;
  CAutoDestructArray<CPtrArray, CTableMap*> m_tableMaps;
  CFileImage m_tableMapImage;
  CFileImage m_tableFilImage;
  CAutoDestructArray<CPtrArray, CRecObject*> m_recObjects;
  CTableMapBuffers m_tableMapBuffers;
  CPvtwData m_pvtwData;
  CRecursionData m_recursionData;
  std::string m_strReportConfiguration;
  std::string m_strReportArgument;
  std::string m_strVersion;
  ModelSettingConvert m_settingConvert;
  bool m_bExternalModelsSkipped = false;
  // Set by the report-writer fill when the model has report-writer groups.
  std::uint8_t m_bReportWriterGroups = 0;
  // The model's base value, copied as a float into each named model of the results.
  double m_dModelScale = 1.0;
  // The objective value of every solve of a multi-start run, in solve order.
  std::vector<double> m_adMultiStartObjectives;
};

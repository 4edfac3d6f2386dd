#include <cstdlib>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "foundation/path_utils.h"
#include "modelfile/vorn_model_file.h"

void CVornModelFile::ReadTablesXml(const plat::XmlNode& tables) {
  // The tables by name while the section is read: one look-up per entry, not a search of the catalogue.
  std::size_t entries = 0;
  for (const plat::XmlNode& entry : tables.ChildNodes()) entries += entry.IsElement() ? 1 : 0;
  std::unordered_map<std::string_view, CVornModelFileTable*> byName;
  byName.reserve(static_cast<std::size_t>(m_tables.GetSize()) + entries);
  const auto modelDir = std::make_shared<const std::string>(m_strModelDir);
  for (CVornModelFileTable* table : m_tables) byName.emplace(table->m_strName, table);

  for (const plat::XmlNode& entry : tables.ChildNodes()) {
    if (entry.Name() != "Table") continue;
    // Every entry starts empty: a missing child never takes the previous entry's value.
    std::string name;
    std::string file;
    std::string enabled;
    std::string tableType;
    for (const plat::XmlNode& child : entry.ChildNodes()) {
      const std::string childName = child.Name();
      if (childName == "Name") name = child.Text();
      else if (childName == "File") file = child.Text();
      else if (childName == "Enabled") enabled = child.Text();
      else if (childName == "TableType") tableType = child.Text();
    }

    std::string filePart;
    std::string sheet;
    SplitQualifiedName(file, filePart, sheet);
    // The file itself is looked at only when its date is asked for.
    CTableFileDate fileDate = CTableFileDate::OfFile(modelDir, std::move(filePart));
    const bool isEnabled = std::atoi(enabled.c_str()) != 0;
    std::int32_t category = std::atoi(tableType.c_str());
    if (name == "RECEIVE" || name == "SHIP") category = 8;

    if (const auto found = byName.find(name); found != byName.end()) {
      found->second->AddFile(file, isEnabled, std::move(fileDate));
    } else {
      CVornModelFileTable* table = m_tables.GetAt(
          m_tables.Add(std::make_unique<CVornModelFileTable>(name, file, isEnabled, category, std::move(fileDate))));
      byName.emplace(table->m_strName, table);
    }
  }
}

void CVornModelFile::ReadServersXml(const plat::XmlNode& servers) {
  for (const plat::XmlNode& entry : servers.ChildNodes()) {
    if (entry.Name() != "Server") continue;
    auto server = std::make_unique<CServer>();
    server->ReadXml(entry);
    m_servers.Add(std::move(server));
  }
}

void CVornModelFile::ReadWenuTablesXml(const plat::XmlNode& wenuTables) {
  for (const plat::XmlNode& entry : wenuTables.ChildNodes()) {
    if (entry.Name() != "WenuTable") continue;
    auto table = std::make_unique<CVornWenuTable>();
    table->ReadXml(entry);
    m_wenuTables.Add(std::move(table));
  }
}

void CVornModelFile::ReadReportConfigurationXml(const plat::XmlNode& reportConfiguration) {
  m_strReportConfiguration = reportConfiguration.Xml();
}

CVornModelFileTable* CVornModelFile::FindTable(const std::string& name) const {
  for (CVornModelFileTable* table : m_tables)
    if (table->m_strName == name) return table;
  return nullptr;
}

void CVornModelFile::WriteTablesXml(plat::XmlNode& root) const {
  plat::XmlNode tables = root.AppendElement("Tables");
  for (const CVornModelFileTable* table : m_tables) {
    for (const CTableFile* file : table->m_files) {
      plat::XmlNode entry = tables.AppendElement("Table");
      entry.AppendTextElement("Name", table->m_strName);
      entry.AppendTextElement("File", file->m_strName);
      entry.AppendTextElement("Enabled", file->m_bEnabled ? "1" : "0");
      entry.AppendTextElement("TableType", std::to_string(table->m_nCategory));
    }
  }
}

void CVornModelFile::WriteServersXml(plat::XmlNode& root) const {
  if (m_servers.IsEmpty()) return;
  plat::XmlNode servers = root.AppendElement("Servers");
  for (const CServer* server : m_servers) server->WriteXml(servers);
}

void CVornModelFile::WriteWenuTablesXml(plat::XmlNode& root) const {
  if (m_wenuTables.IsEmpty()) return;
  plat::XmlNode tables = root.AppendElement("WenuTables");
  for (const CVornWenuTable* table : m_wenuTables) table->WriteXml(tables);
}

void CVornModelFile::WriteKeptSectionsXml(plat::XmlNode& root) const {
  for (const std::string& text : m_keptSections) {
    plat::XmlDocument section;
    if (!section.LoadXml(text)) continue;
    // A kept ExternalModels section gives way to one the engine wrote.
    const std::string name = section.DocumentElement().Name();
    if (name == "ExternalModels" && !root.Child(name).IsNull()) continue;
    root.AppendCopy(section.DocumentElement());
  }
}

#pragma once
// Writes a small export configuration and a model file for tests and the
// demo case set: a single model in its own directory, the values that switch
// the database output on, and assembled cases with setting rows.

#include <string>
#include <utility>
#include <vector>

#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "platform/xml_dom.h"

struct ExportConfigFixture {
  struct Case {
    int number = 0;
    std::string title;
    std::vector<std::pair<std::string, double>> settings;  // setting name, number
  };
  std::string homeDirectory;   // the parent of the model directory
  std::string modelDirectory;  // holds VornModel.vrnx; its last component is the model's name
  std::string databaseDirectory;
  std::string databaseDescription;
  std::vector<Case> cases;

  static std::string ModelName(const std::string& modelDirectory) {
    const std::size_t slash = modelDirectory.find_last_of('/');
    return slash == std::string::npos ? modelDirectory : modelDirectory.substr(slash + 1);
  }

  // Saves the document; false when it cannot be written.
  bool WriteConfig(const std::string& path) const {
    plat::XmlDocument document;
    document.AppendProcessingInstruction("xml", "version=\"1.0\" encoding=\"UTF-8\"");
    plat::XmlNode root = document.AppendElement("VornDbExportData");
    root.AppendTextElement("HomeDirectory", homeDirectory);
    root.AppendTextElement("DatabaseDirectory", databaseDirectory);
    root.AppendTextElement("DatabaseDescription", databaseDescription);
    root.AppendTextElement("SolutionID", "1");
    root.AppendElement("VornModelFile").AppendTextElement("ModelFileDir", modelDirectory);
    plat::XmlNode list = root.AppendElement("AssembledCases");
    for (const Case& c : cases) {
      plat::XmlNode item = list.AppendElement("AssembledCase");
      item.AppendTextElement("Number", std::to_string(c.number));
      item.AppendTextElement("ModelName", ModelName(modelDirectory));
      item.AppendTextElement("Title", c.title);
      plat::XmlNode rows = item.AppendElement("CaseSettings");
      for (const auto& [name, value] : c.settings) {
        plat::XmlNode row = rows.AppendElement("CaseSetting");
        row.AppendTextElement("Row", name);
        row.AppendTextElement("Value", std::to_string(value));
      }
    }
    return document.Save(path);
  }

  // Saves a model file with default settings into the model directory.
  bool WriteModel() const {
    CVornModelFile model;
    model.LoadFromDirectory(ModelName(modelDirectory), modelDirectory);
    model.m_bEncryptOnSave = false;
    return model.Save("18.0.0", "", false);
  }
};

#pragma once
// Writes an export configuration and a model file for tests and the
// generated case sets: the main model in its own directory, the local models
// of a global model, the values that switch the database output on,
// assembled cases with setting rows and case-set fields, and error messages.

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
    std::string setNodeType = {};  // not empty: the case is a node of a case set
    int setParent = 0;
    std::string selExp = {};  // selection formula
    int selValue = -1;   // -1: not given
    std::vector<int> siblings = {};
    std::vector<std::pair<std::string, std::vector<std::string>>> tables = {};  // case table, its cross-tab lines
    std::vector<std::pair<std::string, std::string>> texts = {};  // setting name, text
  };
  // The scenario logic of an assembled case: the case whose results its formula reads, its parent and base.
  struct Logic {
    int assembledCase = 0;
    int caseNumber = 0;
    int parentCase = 0;
    int baseCase = 0;
    std::string tolerance;
  };
  // A local model of a global model: its code (the node name) and directory.
  struct LocalModel {
    std::string code;
    std::string directory;
    bool report = true;
  };
  struct ErrorMessage {
    std::string code, message, row, column, model;
  };
  std::string homeDirectory;   // the parent of the model directory
  std::string modelDirectory;  // holds VornModel.vrnx; its last component is the model's name
  std::string databaseDirectory;
  std::string databaseDescription;
  std::vector<Case> cases;
  std::vector<LocalModel> localModels;  // in the order of their directories
  std::vector<ErrorMessage> errorMessages;
  bool doDbSolution = false;  // the run writes its solution row
  std::string runId;          // the legacy tables' run identifier
  std::vector<Logic> logics;

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
    if (doDbSolution) root.AppendTextElement("DoDbSolution", "1");
    if (!runId.empty()) root.AppendTextElement("RunID", runId);
    root.AppendElement("VornModelFile").AppendTextElement("ModelFileDir", modelDirectory);
    if (!localModels.empty()) {
      plat::XmlNode files = root.AppendElement("VornModelFileArray");
      plat::XmlNode locals = root.AppendElement("LocalModelArray");
      for (std::size_t i = 0; i < localModels.size(); ++i) {
        files.AppendElement("VornModelFile").AppendTextElement("ModelFileDir", localModels[i].directory);
        plat::XmlNode local = locals.AppendElement("LocalModel");
        local.AppendTextElement("LocalModelID", std::to_string(i + 1));
        local.AppendTextElement("ValidFlag", "1");
        local.AppendTextElement("ReportFlag", localModels[i].report ? "1" : "0");
        local.AppendTextElement("CodeString", localModels[i].code);
        local.AppendTextElement("TextString", localModels[i].code);
      }
    }
    if (!errorMessages.empty()) {
      plat::XmlNode list = root.AppendElement("ErrorMessages");
      for (const ErrorMessage& e : errorMessages) {
        plat::XmlNode item = list.AppendElement("ErrorMessage");
        item.AppendTextElement("Code", e.code);
        item.AppendTextElement("Message", e.message);
        item.AppendTextElement("Row", e.row);
        item.AppendTextElement("Col", e.column);
        item.AppendTextElement("Model", e.model);
      }
    }
    plat::XmlNode list = root.AppendElement("AssembledCases");
    for (const Case& c : cases) {
      plat::XmlNode item = list.AppendElement("AssembledCase");
      item.AppendTextElement("Number", std::to_string(c.number));
      item.AppendTextElement("ModelName", ModelName(modelDirectory));
      item.AppendTextElement("Title", c.title);
      if (!c.setNodeType.empty()) {
        item.AppendTextElement("SetNodeType", c.setNodeType);
        item.AppendTextElement("SetParent", std::to_string(c.setParent));
      }
      if (!c.selExp.empty()) item.AppendTextElement("SelExp", c.selExp);
      if (c.selValue != -1) item.AppendTextElement("SelValue", std::to_string(c.selValue));
      if (!c.siblings.empty()) {
        plat::XmlNode siblings = item.AppendElement("SetSiblings");
        for (int sibling : c.siblings) siblings.AppendTextElement("SetSiblingValue", std::to_string(sibling));
      }
      if (!c.tables.empty()) {
        plat::XmlNode tables = item.AppendElement("CaseTables");
        for (const auto& [name, lines] : c.tables) {
          plat::XmlNode table = tables.AppendElement("CaseTable");
          table.AppendTextElement("CaseNumber", std::to_string(c.number));
          table.AppendTextElement("Name", name);
          plat::XmlNode crossTab = table.AppendElement("CrossTabLines");
          for (const std::string& line : lines) crossTab.AppendTextElement("CrossTabLineValue", line);
        }
      }
      plat::XmlNode rows = item.AppendElement("CaseSettings");
      for (const auto& [name, value] : c.settings) {
        plat::XmlNode row = rows.AppendElement("CaseSetting");
        row.AppendTextElement("Row", name);
        row.AppendTextElement("Value", std::to_string(value));
      }
      for (const auto& [name, text] : c.texts) {
        plat::XmlNode row = rows.AppendElement("CaseSetting");
        row.AppendTextElement("Row", name);
        row.AppendTextElement("Text", text);
      }
    }
    if (!logics.empty()) {
      plat::XmlNode list = root.AppendElement("ScenarioExecutionLogics");
      for (const Logic& logic : logics) {
        plat::XmlNode item = list.AppendElement("ScenarioExecutionLogic");
        item.AppendTextElement("AssembledCase", std::to_string(logic.assembledCase));
        item.AppendTextElement("Case", std::to_string(logic.caseNumber));
        item.AppendTextElement("ParentCase", std::to_string(logic.parentCase));
        item.AppendTextElement("BaseCase", std::to_string(logic.baseCase));
        if (!logic.tolerance.empty()) item.AppendTextElement("SelFormulaTolerance", logic.tolerance);
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

#pragma once
// Test support: a generated run directory whose results go to a database of
// the private PostgreSQL server, through the SQL Server driver.

#include <filesystem>
#include <functional>
#include <string>

#include "modelfile/vorn_model_file.h"
#include "tools/model_generator/model_generator.h"

namespace model_gen_testing {

// Sets the main model of the run directory generated with options to write its results into database on the
// server at port; configure may set more of its settings. False when the model cannot be saved.
inline bool SendResultsToServer(const std::filesystem::path& runDir, const model_gen::GeneratorOptions& options,
                                int port, const std::string& database,
                                const std::function<void(CModelSettings&)>& configure = {}) {
  const std::string name = model_gen::LayoutOf(options).mainModel;
  CVornModelFile model;
  model.LoadFromDirectory(name, (runDir / name).string());
  model.m_bEncryptOnSave = false;
  model.m_settings.m_DatabaseOutputFormat.SetValue("SQL Server");
  model.m_settings.m_DatabaseOutputConnection.SetValue("Provider=SQLOLEDB;Data Source=127.0.0.1," +
                                                       std::to_string(port) + ";Initial Catalog=" + database +
                                                       ";User ID=postgres;Password=;");
  if (configure) configure(model.m_settings);
  return model.Save("18.0.0", "", false);
}

}  // namespace model_gen_testing

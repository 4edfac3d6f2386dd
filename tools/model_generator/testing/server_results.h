#pragma once
// Test support: the settings of a generated run directory's main model, and
// its results sent to a database of the private PostgreSQL server, through
// the SQL Server driver.

#include <filesystem>
#include <functional>
#include <string>

#include "modelfile/vorn_model_file.h"
#include "tools/model_generator/model_generator.h"

namespace model_gen_testing {

// Changes settings of the main model of the run directory generated with options; false when the model
// cannot be saved.
inline bool ChangeMainModel(const std::filesystem::path& runDir, const model_gen::GeneratorOptions& options,
                            const std::function<void(CModelSettings&)>& configure) {
  const std::string name = model_gen::LayoutOf(options).mainModel;
  CVornModelFile model;
  model.LoadFromDirectory(name, (runDir / name).string());
  model.m_bEncryptOnSave = false;
  configure(model.m_settings);
  return model.Save("18.0.0", "", false);
}

// The connection of a database of the private PostgreSQL server at port, through the SQL Server driver.
inline std::string ServerConnection(int port, const std::string& database) {
  return "Provider=SQLOLEDB;Data Source=127.0.0.1," + std::to_string(port) + ";Initial Catalog=" + database +
         ";User ID=postgres;Password=;";
}

// Sets the main model of the run directory generated with options to write its results into database on the
// server at port; configure may set more of its settings. False when the model cannot be saved.
inline bool SendResultsToServer(const std::filesystem::path& runDir, const model_gen::GeneratorOptions& options,
                                int port, const std::string& database,
                                const std::function<void(CModelSettings&)>& configure = {}) {
  return ChangeMainModel(runDir, options, [&](CModelSettings& settings) {
    settings.m_DatabaseOutputFormat.SetValue("SQL Server");
    settings.m_DatabaseOutputConnection.SetValue(ServerConnection(port, database));
    if (configure) configure(settings);
  });
}

}  // namespace model_gen_testing

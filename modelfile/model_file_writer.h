#pragma once
// Saving the model file (CVornModelFile::Save and WriteModelFile live in
// model_file_writer.cpp): the document is built and written to a new file
// with a unique name in the model directory first, with the mode of the model
// file; only then are the backups made and the new file renamed over the
// model file, so a failure at any step leaves the previous model file as it
// was and removes the new file.
//
// Every file change goes through IModelFileSystem, the seam where tests make
// a chosen step fail.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ole_date_time.h"
#include "platform/xml_dom.h"

class CVornModelFile;

class IModelFileSystem {
 public:
  virtual ~IModelFileSystem() = default;
  // Replaces path's contents with bytes in one step (plat::ReplaceFileContents).
  virtual bool Write(const std::string& path, const std::string& bytes) = 0;
  // Writes bytes to stable storage in a new file with a unique name beside
  // target and target's mode (plat::WriteReplacementFile); temporary names it.
  // When there is no target yet and the bytes hold a secret, the new file is
  // its owner's only (0600).
  virtual bool WriteBeside(const std::string& target, const std::string& bytes, std::string& temporary,
                           bool holdsSecret) = 0;
  // Replaces to with a copy of from, which keeps from's mode.
  virtual bool Copy(const std::string& from, const std::string& to) = 0;
  // Renames from to to, replacing to in one step.
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  // Removes path; true also when it did not exist.
  virtual bool Remove(const std::string& path) = 0;
  virtual bool Exists(const std::string& path) = 0;
  virtual bool Size(const std::string& path, std::uint64_t& size) = 0;
};

// The file system the model file is saved through.
IModelFileSystem& GetModelFileSystem();
// Makes fileSystem the one saves go through (null: the real file system
// again) and returns the previous one. For tests.
IModelFileSystem* SetModelFileSystem(IModelFileSystem* fileSystem);

// Writes a text file with every line feed as carriage return and line feed;
// 1 on success, 0 on a file error.
int WriteTextFile(const std::string& path, const std::string& text);

// "dir/VornModel.Bak" for "dir/VornModel.vrnx".
std::string MakeModelBackupName(const std::string& modelFilePath);
// "dir/VornModel.2024.01.31.14.05.09.Bak" for "dir/VornModel.vrnx" saved at that time.
std::string MakeModelTimeStampedName(const std::string& modelFilePath, const plat::OleDateTime& time);

// The report generator gives the XML of a default ReportConfiguration. None
// is installed on this platform; a program or a test may register a factory.
class IReportGenerator {
 public:
  virtual ~IReportGenerator() = default;
  // The results database the configuration refers to.
  virtual void SetResultsDatabase(const std::string& path) = 0;
  // The XML text of a ReportConfiguration element; false on failure.
  virtual bool BuildConfiguration(std::int32_t reserved, bool firstFlag, bool secondFlag, const std::string& argument,
                                  std::string& xml) = 0;
};
using ReportGeneratorFactory = std::unique_ptr<IReportGenerator> (*)();
// Returns the previous factory; null removes the generator.
ReportGeneratorFactory SetReportGeneratorFactory(ReportGeneratorFactory factory);

// Empties the model's version, asks the generator for a default
// ReportConfiguration and parses it into out; on success the model keeps its
// text in m_strReportConfiguration. False (nothing built) without a generator
// or when its answer is not XML.
bool BuildDefaultReportConfiguration(CVornModelFile& model, plat::XmlDocument& out);

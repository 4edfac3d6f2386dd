#pragma once
// The ExternalModels section of the model file and the external model data
// files beside it.

#include <string>

#include "platform/xml_dom.h"

class CVornModelFile;
class CTULOInstance;

inline constexpr const char* kExternalModelDataFile = "externalmodel18.vrnb";
inline constexpr const char* kExternalModelDataFile175 = "externalmodel.vrnb";
inline constexpr const char* kExternalModelDataVersion175 = "17.5.0";

// Starts the engine with the model's settings and re-creates the model's
// external models as blocks, from the per-block XML form or from the data
// files. False when the engine could not be started or no block of the model
// came of it, so the caller keeps the section's text and writes it back unchanged.
bool ReadExternalModelsSection(CVornModelFile& model, const plat::XmlNode& section);

// The per-block XML form of the section.
void ReadExternalModelsXml(CTULOInstance& engine, const plat::XmlNode& section, const std::string& modelName,
                           const std::string& modelDir);

// When the engine is up and holds blocks of the model: writes both data files
// (each to a temporary file renamed into place once complete) and appends the
// ExternalModels section to root. True when nothing was to be written or all
// was written; false (with a message unless the model is silent) otherwise.
bool WriteExternalModelsData(const CVornModelFile& model, plat::XmlNode& root, const std::string& version);

// Where the readers of the sections owned by other rooms of this folder
// (settings, formulas, user equations, external models) join the load.

#include "modelfile/vorn_model_file.h"

void CVornModelFile::BeginSections() {}

bool CVornModelFile::ReadOtherSection(const plat::XmlNode& /*section*/) { return false; }

void CVornModelFile::EndSections() {}

void CVornModelFile::AfterLoadXml() {}

void CVornModelFile::ApplyLstSwitch() {}

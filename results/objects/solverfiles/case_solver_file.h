#pragma once
// Which of a model directory's solver files a case reads. The workers of a
// run write the cases of one model directory at the same time, so a case
// whose solver left a file under the case's own name (the file-name
// manager's) reads that one and never another case's; otherwise it reads the
// file of the plain name, as a run of one case at a time leaves it.

#include <cstdint>
#include <string>

std::string ChooseCaseSolverFile(std::int32_t caseNumber, const std::string& casePath, const std::string& plainPath);

#pragma once
// The matrix database of a case: the solver's extended MPS file read into a
// CMpsFile and written into the tables PrMpsRows, PrMpsCols, PrMpsRhs,
// PrMpsRange and PrMpsBound of the main model's results database, keyed by
// the solution, the case and the solution's model.

#include <cstdint>

#include "writers/matrix/mps_file.h"

class CVornDbExportData;

// Message of a matrix file that cannot be opened (the shared-resource texts); %1: the path.
inline constexpr std::uint32_t kIdsCannotOpenMatrixFile = 2510;

// Reads the matrix file into output under the "C" numeric locale, taking the
// current values of the multiplier columns from its INITIAL section and,
// when nlpSolutionPath is not empty and can be read, from that file. False
// (after message 2510) when the matrix file cannot be opened.
bool ReadMpsFile(const char* matrixPath, CMpsFile* output, const char* nlpSolutionPath);

// Sets the values of the sorted columns from a nonlinear solution file;
// false, with nothing reported, when it cannot be opened.
bool ReadNlpSolutionFile(const char* path, CNLPColArray& columns);

// Writes the five tables (defining them for an Access database or with
// CreateAccessDbAlso on) and flushes the SQL Server rows. False at the first
// failing table operation; what was written stays.
bool WriteMpsTables(CVornDbExportData& exportData, CMpsFile& matrix);

// The ModelID of the solution's PrSolution row in the results database (read
// over the case's own connection when the process has the file open), or of
// the row this process wrote when no row is found; 1 when neither is there
// or the look-up fails.
std::int32_t GetSolutionModelID(CVornDbExportData& exportData, std::int32_t solutionId);

// The solution index of the nonlinear solution file that refines the matrix:
// the current case's LoadSol value when its "Zelun_Solution.%03d" file exists
// in the model's directory, else the setting Nimbo_BasisIn.
std::int32_t GetZelunSolutionIndex(const CVornDbExportData& exportData);

#pragma once
// The saved report queries of an Access result database: the report views
// (RN_), the base views they read (VN_), the report-writer views (RW_) and
// PrSolutionValues, saved once per run into the model's database. The texts
// are data (report_query_texts.cpp), each a SELECT over the result tables.

#include <span>
#include <string>

#include "caseset/vorn_db_export_data.h"

class CDaoDatabase;
class CVornModelFile;

struct SavedQueryText {
  const char* name;
  const char* sql;
};

// In creation order.
std::span<const SavedQueryText> GetReportViews();
std::span<const SavedQueryText> GetBaseViews();
std::span<const SavedQueryText> GetReportWriterViews();
const SavedQueryText& GetSolutionValuesQuery();

// Whether a value of NEW_HTML_REPORT_ON (null: not set) asks for the report
// and base views: a non-empty value that reads as the integer 0 (a leading
// non-digit reads as 0).
bool AreHtmlReportViewsWanted(const char* value);

// The model's Access database, opened (made when missing) when it is not open
// yet; null when it cannot be opened.
CDaoDatabase* OpenModelAccessDatabase(CVornDbExportData& exportData, CVornModelFile& model);

// Saves the report queries into the model's Access database (nothing when the
// model writes no Access database). With CreateReportWriterQueriesOn off every
// query saved since the names list was last emptied is deleted again, before
// PrSolutionValues is saved. False at the first query that cannot be saved
// (the names list then stays as it is).
bool CreateReportQueries(CVornDbExportData& exportData, CVornModelFile& model);

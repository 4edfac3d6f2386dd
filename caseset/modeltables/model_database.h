#pragma once
// The model's own input database: opening, testing and closing the model's
// ADO connection, the text of a COM error, the rewrite of SQL text for the
// database's kind, and small value helpers of the result output.

#include <string>

#include "platform/ado.h"

class CVornModelFile;

// Message id of a COM error's text.
inline constexpr unsigned kIdsComErrorDetails = 15608;

// Opens the model's connection unless it is open already or the model has no
// database. False on failure, with the COM error's text in errorText, or an
// empty text when the open operation has reported the failure itself.
bool OpenModelDatabase(CVornModelFile& model, std::string& errorText);
// True when the connection slot holds a connection that is not closed.
bool IsModelDatabaseOpen(const CVornModelFile& model);
// Closes and releases an open connection; always true.
bool CloseModelDatabase(CVornModelFile& model);

// "Error / Code = ... / Code meaning = ... / Source = ... / Description = ...".
std::string FormatComError(const plat::ComError& error);

// Rewrites sql in place for the kind of the model's database (Oracle,
// Access, SQL Server); other kinds leave it unchanged.
void AdaptSqlToDatabase(std::string& sql, const CVornModelFile& model);

// The value, or 0 when its magnitude is at most 1e-7; the not-set marker
// (1e30, 1.0e30f) and NaN come back unchanged.
double ZeroIfTiny(double value);
float ZeroIfTinyF(float value);

// The text without any "#".
std::string StripHashChars(const std::string& text);

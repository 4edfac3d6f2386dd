#pragma once
// The crude receipts and shipments of a model: first from the model's input
// database (when it has one; its connection is opened by the caller), then
// from the model tables RECEIVE and SHIP of every worksheet the model lists.
// Each reader empties its list first and appends both sources to it.

#include <string>

#include "caseset/plantdata/raw_receive.h"
#include "caseset/plantdata/raw_ship.h"

class CVornModelFile;

// Message ids of the readers' column checks (%1 the column, %2 the table).
inline constexpr unsigned kIdsTextColumnDetected = 15615;
inline constexpr unsigned kIdsRequiredColumnMissingIn = 15616;
inline constexpr unsigned kIdsDuplicateColumn = 15617;

// False after a reported failure; what was read before it stays in the list,
// and errorText says why (the COM error's text for a database failure, the
// table and its file for a table that cannot be read or lacks a column).
bool ReadRawReceipts(const CVornModelFile& model, CRawReceiveArray& receipts, std::string& errorText);
bool ReadRawShipments(const CVornModelFile& model, CRawShipArray& shipments, std::string& errorText);

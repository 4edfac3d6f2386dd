#pragma once
// Small services the solution fill shares: warnings to the host's message callback, status texts to the
// owner window, and the ids of the texts the fill takes from the
// shared-resource library.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

class CDbCase;
class CDbModel;
class CVornDbExportData;
class CVornModelFile;

// The host's message callback (entry 0 of the export's callbacks, cached in
// m_pfnMessageCallback); 0 when none is installed.
int CallReadCallback(CVornDbExportData& exportData, const char* text, int length, int kind);
// A warning as the fill reports it: a blank line (kind 0), then the line (kind 1).
void ReportWarningLine(CVornDbExportData& exportData, const std::string& line);

// The window message that carries the fill's status texts, and its wParam
// values besides 0.
inline constexpr std::uint32_t kStatusTextMessage = 1230;
inline constexpr std::uintptr_t kStatusModelStart = 1446;
inline constexpr std::uintptr_t kStatusFileName = 257;

// Where status texts for an owner window go. Linux has no owner window to
// send to; the host that attaches one (m_pOwnerWnd) installs the sender.
using PFNSTATUSSENDER = void (*)(void* window, std::uint32_t message, std::uintptr_t wParam, const std::string& text);
void SetStatusSender(PFNSTATUSSENDER sender);
// Sends the text when the export context has an owner window and a sender is installed.
void SendStatusText(const CVornDbExportData* exportData, std::uintptr_t wParam, const std::string& text);
// The same with a message of the caller's choice (the case output's progress and failure messages).
void SendOwnerMessage(const CVornDbExportData* exportData, std::uint32_t message, std::uintptr_t wParam,
                      const std::string& text);

// The report-writer fill of one model lives with the writers, beside this
// floor; the export installs it, and without it the fill makes no
// report-writer objects.
using PFNREPORTWRITERGROUPSFILL = bool (*)(CVornDbExportData& exportData, CVornModelFile* model, CDbCase* dbCase,
                                          CDbModel* dbModel);
void SetReportWriterGroupsFill(PFNREPORTWRITERGROUPSFILL fill);
PFNREPORTWRITERGROUPSFILL GetReportWriterGroupsFill();

// Shared-resource texts of the fill; a text used as a format takes the
// arguments its comment names, in that order.
inline constexpr std::uint32_t kTreskPeriodNotInCase = 186;         // period code, LP name
inline constexpr std::uint32_t kTreskSaleTagUnknown = 188;          // tag, model name
inline constexpr std::uint32_t kTreskPurchaseTagUnknown = 189;      // tag, model name
inline constexpr std::uint32_t kTreskPurchaseWarning = 190;         // stream tag
inline constexpr std::uint32_t kTreskStatusSixCompare = 2511;
inline constexpr std::uint32_t kTreskMaterialBalanceHeader = 2512;
inline constexpr std::uint32_t kTreskKpiFpi = 2517;
inline constexpr std::uint32_t kTreskFormulaPRow = 2522;            // quality report tag
inline constexpr std::uint32_t kTreskIndexPRow = 2523;              // quality report tag
inline constexpr std::uint32_t kTreskKpiPenalties = 2526;
inline constexpr std::uint32_t kTreskKpiSob = 2527;
inline constexpr std::uint32_t kTreskKpiUob = 2528;
inline constexpr std::uint32_t kTreskKpiOpi = 2529;
inline constexpr std::uint32_t kTreskCapacityLimitsDone = 2530;
inline constexpr std::uint32_t kTreskFillDone = 2531;
inline constexpr std::uint32_t kTreskQualitySPv = 2533;
inline constexpr std::uint32_t kTreskQualityECP = 2534;
inline constexpr std::uint32_t kTreskCapacityLimits = 2535;
inline constexpr std::uint32_t kTreskTimingMarkets = 2536;
inline constexpr std::uint32_t kTreskTimingGsell = 2537;
inline constexpr std::uint32_t kTreskBlendQualities = 2542;
inline constexpr std::uint32_t kTreskGroupQualities = 2543;
inline constexpr std::uint32_t kTreskUnitOperations = 2544;
inline constexpr std::uint32_t kTreskUnitGroups = 2545;
inline constexpr std::uint32_t kTreskTimingRowsorg = 2546;
inline constexpr std::uint32_t kTreskFillStart = 2557;              // followed by " " and the model name
inline constexpr std::uint32_t kTreskKpiStatus = 2566;

// A format (a shared-resource text) filled into a buffer of
// bufferSize bytes and cut at its end like the fixed buffers of the
// warnings. Only %s conversions are filled, each from the next argument;
// "%%" gives "%"; any other conversion is copied as it stands.
std::string FormatFillText(const std::string& format, std::size_t bufferSize, std::initializer_list<std::string> args);
std::string FormatTreskText(std::uint32_t id, std::size_t bufferSize, std::initializer_list<std::string> args);

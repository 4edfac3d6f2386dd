#include "solutionfill/core/fill_services.h"

#include "caseset/vorn_db_export_data.h"
#include "platform/string_table.h"
#include "standins/tresk.h"

namespace {

const plat::StringTableRegistrar kFillTexts(
    plat::StringTable::Shared,
    {
        {kTreskPeriodNotInCase, "Period %s is not a period of the case: %s"},
        {kTreskSaleTagUnknown, "Sale tag %s of model %s names no stream or utility."},
        {kTreskPurchaseTagUnknown, "Purchase tag %s of model %s names no stream or utility."},
        {kTreskPurchaseWarning, "Purchase %s has no matching stream."},
        {kTreskStatusSixCompare, "Infeasible"},
        {kTreskMaterialBalanceHeader, "Material balance findings"},
        {kTreskKpiFpi, "Feasibility index"},
        {kTreskFormulaPRow, "Formula property row of %s"},
        {kTreskIndexPRow, "Index property row of %s"},
        {kTreskKpiPenalties, "Penalties"},
        {kTreskKpiSob, "Streams out of balance"},
        {kTreskKpiUob, "Utilities out of balance"},
        {kTreskKpiOpi, "Optimality index"},
        {kTreskCapacityLimitsDone, "Capacity limits built"},
        {kTreskFillDone, "Result objects built"},
        {kTreskQualitySPv, "Specific volume"},
        {kTreskQualityECP, "Estimated cut point"},
        {kTreskCapacityLimits, "Building capacity limits"},
        {kTreskTimingMarkets, "Read MARKETS"},
        {kTreskTimingGsell, "Read GSELL"},
        {kTreskBlendQualities, "Building blend qualities"},
        {kTreskGroupQualities, "Building group qualities"},
        {kTreskUnitOperations, "Building unit operations"},
        {kTreskUnitGroups, "Building unit groups"},
        {kTreskTimingRowsorg, "Read ROWSORG"},
        {kTreskFillStart, "Building the results of"},
        {kTreskKpiStatus, "Solution status"},
    });

PFNSTATUSSENDER g_pfnStatusSender = nullptr;

}  // namespace

int CallReadCallback(CVornDbExportData& exportData, const char* text, int length, int kind) {
  if (!exportData.m_pfnMessageCallback) exportData.m_pfnMessageCallback = exportData.m_pfnHostCallbacks[0];
  if (!exportData.m_pfnMessageCallback) return 0;
  return exportData.m_pfnMessageCallback(text, length, kind);
}

void ReportWarningLine(CVornDbExportData& exportData, const std::string& line) {
  CallReadCallback(exportData, " ", 1, 0);
  CallReadCallback(exportData, line.c_str(), static_cast<int>(line.size()), 1);
}

void SetStatusSender(PFNSTATUSSENDER sender) { g_pfnStatusSender = sender; }

namespace {
PFNREPORTWRITERGROUPSFILL g_pfnReportWriterGroupsFill = nullptr;
}  // namespace

void SetReportWriterGroupsFill(PFNREPORTWRITERGROUPSFILL fill) { g_pfnReportWriterGroupsFill = fill; }
PFNREPORTWRITERGROUPSFILL GetReportWriterGroupsFill() { return g_pfnReportWriterGroupsFill; }

void SendStatusText(const CVornDbExportData* exportData, std::uintptr_t wParam, const std::string& text) {
  SendOwnerMessage(exportData, kStatusTextMessage, wParam, text);
}

void SendOwnerMessage(const CVornDbExportData* exportData, std::uint32_t message, std::uintptr_t wParam,
                      const std::string& text) {
  if (!exportData || !exportData->m_pOwnerWnd || !g_pfnStatusSender) return;
  g_pfnStatusSender(exportData->m_pOwnerWnd, message, wParam, text);
}

std::string FormatTreskText(std::uint32_t id, std::size_t bufferSize, std::initializer_list<std::string> args) {
  return FormatFillText(LoadTreskString(id), bufferSize, args);
}

std::string FormatFillText(const std::string& format, std::size_t bufferSize, std::initializer_list<std::string> args) {
  std::string out;
  auto next = args.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      if (format[i + 1] == '%') {
        out += '%';
        ++i;
        continue;
      }
      if (format[i + 1] == 's') {
        if (next != args.end()) out += *next++;
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  if (bufferSize > 0 && out.size() > bufferSize - 1) out.resize(bufferSize - 1);
  return out;
}

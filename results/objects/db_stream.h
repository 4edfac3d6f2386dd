#pragma once
// Streams of a model ("PrStream"), their look-ups into the local models of a
// global model ("PrGlobalStreamLookup") and the report-writer streams
// ("PrRWStream").

#include <cstdint>
#include <string>
#include <vector>

#include "results/objects/db_definition.h"

class CDbStream;

// One "PrGlobalStreamLookup" row of the global stream that owns it: the
// local model and that model's stream (its m_nID is "StreamID"; the owner's
// is "GlobalStreamID"). Ordered by the model.
class CDbStreamLookup : public CObject {
 public:
  CDbStreamLookup(std::int32_t modelId, CDbStream* stream, CVornDbExportData* owner = nullptr)
      : m_nModelID(modelId), m_pStream(stream), m_pDbData(owner) {}
  static int CompareElements(const void* slotA, const void* slotB);

  std::int32_t m_nModelID;  // "ModelID"
  CDbStream* m_pStream;     // not owned
  CVornDbExportData* m_pDbData;
};

class CDbStream : public CDbDefinition {
 public:
  explicit CDbStream(const std::string& name) : CDbDefinition(name) {}
  CDbStream(std::int32_t id, CVornDbExportData* owner) : CDbDefinition(id, owner) {}
  // The packed tag as identifier; the middle argument is not used.
  CDbStream(const std::string& tag, std::int32_t unused, CVornDbExportData* owner) : CDbDefinition(tag, unused) {
    m_pDbData = owner;
  }

  std::int32_t m_nVWBasis = 0;               // 0 weight, above 0 volume
  std::int32_t m_nUOMTypeID1 = -1;           // "PrUnitofMeasure" type for basis 1 (volume)
  std::int32_t m_nUOMTypeID0 = -1;           // "PrUnitofMeasure" type for basis 0 (weight)
  std::int32_t m_nStreamFlags = 0;           // bits of the model's stream list
  std::int32_t m_nGlobalReportOrder = 0;     // "GlobalReportOrder" (short)
  std::int32_t m_nUserDefinedReportOrder = -1;  // "UserDefinedReportOrder" (short)
  float m_fLiquidConversion = kDbNotSetF;    // "LiquidConversion"
  std::int32_t m_nWorkValue1 = 0;            // working values of the fill
  std::int32_t m_nWorkValue2 = 0;
  std::uint8_t m_bDummyFlag = 0;             // "DummyFlag"
  std::uint8_t m_bWorkFlag1 = 0;             // working flags of the fill
  std::uint8_t m_bWorkFlag2 = 0;
  std::string m_strShortTag;                 // the short tag as read
  std::string m_strDomainTag;                // "DomainTag"
  CAutoDestructArray<CPtrArray, CDbStreamLookup*> m_paLookups;
  std::uint8_t m_bIsPurchased = 0;  // the model's BUY table has a row for the stream
  std::uint8_t m_bIsSold = 0;       // the model's SELL table has a row for the stream
  // The purchase price and sale cost of the "BUY" "IPRICE" and "SELL" "ICOST" cells; 0 when not given.
  float m_fBuyIPrice = 0.0f;
  float m_fSellICost = 0.0f;

  // Every scalar of source into this stream: not the owner and not the owned lists.
  void Copy(const CDbStream& source);

  // ---- Result-table writers (writers/).
  bool WritePrStream(std::int32_t solutionId, std::int32_t caseId, std::int32_t nodeId);
};

class CDbRwStream : public CDbDefinition {
 public:
  explicit CDbRwStream(const std::string& name) : CDbDefinition(name) {}

  std::int32_t m_nVWBasis = 0;
  std::int32_t m_nUOMTypeID1 = -1;
  std::int32_t m_nUOMTypeID0 = -1;
  std::int32_t m_nWorkValue1 = 0;  // working value of the fill
  std::uint8_t m_bDummyFlag = 0;   // "DummyFlag"
  std::uint8_t m_bWorkFlag1 = 0;   // working flag of the fill
  std::string m_strShortTag;
  std::string m_strDomainTag;      // "DomainTag"
  std::vector<std::int32_t> m_lstMembers;  // identifiers of the member streams

  // ---- Result-table writers (writers/).
  bool WritePrRWStream(std::int32_t solutionId, std::int32_t caseId, std::int32_t nodeId);
};

using CDbStreamArray = CAutoDestructArray<CPtrArray, CDbStream*>;

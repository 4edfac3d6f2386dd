#pragma once
// The quality transfers between the plants of a multi-plant model, read once
// per case from "TRANS.DAT" in the model's directory into two lists of
// plants; each plant holds pools, each pool qualities with a value.

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>

#include "foundation/ptr_array.h"
#include "platform/object.h"

class CVornDbExportData;

class CTrxQuality : public CObject {
 public:
  explicit CTrxQuality(const std::string& name) : m_strName(name) {}

  // By name, case-sensitive.
  static int CompareElements(const void* slotA, const void* slotB);

  std::string m_strName;        // three-character quality tag
  std::string m_strSourcePlant;  // one letter
  std::string m_strSourcePool;   // three characters
  float m_fValue = 0.0f;
};

class CTrxPool : public CObject {
 public:
  explicit CTrxPool(const std::string& name) : m_strName(name) {}

  static int CompareElements(const void* slotA, const void* slotB);

  std::string m_strName;  // three-character pool tag
  CAutoDestructArray<CPtrArray, CTrxQuality*> m_paQualities;  // insertion order
};

class CTrxPlant : public CObject {
 public:
  explicit CTrxPlant(const std::string& name) : m_strName(name) {}

  static int CompareElements(const void* slotA, const void* slotB);

  std::string m_strName;  // the plant letter
  CAutoDestructArray<CPtrArray, CTrxPool*> m_paPools;  // insertion order
};

using CTrxPlantArray = CAutoDestructArray<CPtrArray, CTrxPlant*>;

// The transfer data file's name in the model's directory.
inline constexpr const char* kTransferDataFileName = "TRANS.DAT";
// The bytes of one record: three eight-character names and a 32-bit float.
inline constexpr std::size_t kTransferRecordSize = 28;

// Copies the whole file at path into stream, opened with mode (input is
// always added); false when the file cannot be opened (nothing is copied).
bool ReadFileIntoStream(const std::string& path, std::iostream& stream, std::ios::openmode mode);

// Appends the records of a transfer data image to both lists (each plant is
// made in both at once) and sorts both by name. An image whose count does not
// fit its length exactly (cut short, a negative count, bytes after the last
// record) is damaged: nothing is read and the result says what is wrong.
std::string ReadTransferData(std::istream& data, CTrxPlantArray& plants, CTrxPlantArray& plants2);

// What is wrong with the transfer data file at path; empty when it is absent
// or reads whole. Reads nothing into any list.
std::string TransferDataDamage(const std::string& path);

// Reads "TRANS.DAT" of modelDirectory into the lists unless useZelunMG is not
// 0; a missing file leaves them unchanged. A damaged one leaves them so too
// and fails the work that needs it (NoteInputFailure), naming the file.
void GetTransfers(std::int32_t useZelunMG, const std::string& modelDirectory, CTrxPlantArray& plants,
                  CTrxPlantArray& plants2);
// The same for the export context's main model (its setting UseZelunMGOn and
// its directory); nothing without a model.
void GetTransfers(const CVornDbExportData& exportData, CTrxPlantArray& plants, CTrxPlantArray& plants2);

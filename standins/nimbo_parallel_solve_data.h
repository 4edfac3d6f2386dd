#pragma once
// The status object of the nonlinear solver: a case number, a status code, a
// value, the passes and LP iterations of a solved case and message texts,
// serialised to a self-delimiting byte form so that a reader of a stream of
// them can split it:
//   "NPSD" | uint32 total length | uint32 version (2) | int32 case |
//   int32 status | float64 value | int32 passes | int32 iterations |
//   uint32 text count | per text: uint32 length, bytes
// all little-endian; the total length counts every byte from the magic on.
// Version 1 has no passes and iterations (both read as 0).

#include <cstdint>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

class CNimboParallelSolveData {
 public:
  static constexpr std::uint32_t kHeaderSize = 8;    // magic and total length
  static constexpr std::uint32_t kMaxSize = 1u << 26;  // a larger length is not ours

  void SetCaseNumber(int caseNumber) { m_nCaseNumber = caseNumber; }
  int GetCaseNumber() const { return m_nCaseNumber; }
  void SetStatusCode(int status) { m_nStatusCode = status; }
  void SetValue(double value) { m_dValue = value; }
  // The recursion passes and the LP iterations of a solved case.
  void SetPasses(int passes) { m_nPasses = passes; }
  int GetPasses() const { return m_nPasses; }
  void SetIterations(int iterations) { m_nIterations = iterations; }
  int GetIterations() const { return m_nIterations; }
  void SetMessages(int count, const char* const* texts);
  void SetMessages(std::vector<std::string> texts) { m_astrMessages = std::move(texts); }
  const std::vector<std::string>& GetMessages() const { return m_astrMessages; }
  // A case report carries the solve status and objective as its status code and value.
  int GetSolveStatus() const { return m_nStatusCode; }
  double GetObjectiveValue() const { return m_dValue; }

  // The log level and stream for the object's own diagnostics (may be null).
  void SetLogging(int level, std::ostream* log) {
    m_nLogLevel = level;
    m_pLog = log;
  }

  // A new byte array holding the object; returns its size, or -1 on failure.
  int GetObjectAsBYTEArray(std::unique_ptr<std::uint8_t[]>& bytes) const;
  // Loads the object from one whole message; false when the bytes are not one.
  bool SetObjectFromBYTEArray(const std::uint8_t* bytes, int size);

  // The total length of the message starting at bytes: 0 when fewer than the
  // header's bytes are there yet, -1 when they are not the start of a message.
  static std::int64_t MessageLength(const std::uint8_t* bytes, std::size_t available);

 private:
  int m_nCaseNumber = 0;
  int m_nStatusCode = 0;
  double m_dValue = 0.0;
  int m_nPasses = 0;
  int m_nIterations = 0;
  std::vector<std::string> m_astrMessages;
  int m_nLogLevel = 0;
  std::ostream* m_pLog = nullptr;
};

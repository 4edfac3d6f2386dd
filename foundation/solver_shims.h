#pragma once
// Classes the solver libraries publish with some members defined by the
// executable: their data, member-wise copies and the accessors that return 0.
// Nothing in this system creates them; they exist for a real solver library.

#include <array>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

class Strev_Exception : public std::exception {
 public:
  Strev_Exception() = default;
  explicit Strev_Exception(std::string message) : m_strMessage(std::move(message)) {}
  Strev_Exception(const Strev_Exception&) = default;
  Strev_Exception& operator=(const Strev_Exception&) = default;
  ~Strev_Exception() override = default;

  const char* what() const noexcept override {
    return m_strMessage.empty() ? "Unknown exception" : m_strMessage.c_str();
  }

  std::string m_strMessage;
  std::int32_t m_nCode = 0;
  std::string m_strName;
  std::string m_strReason;
  std::string m_strRoutine;
  std::string m_strDetail;
  std::int32_t m_nSeverity = 0;
};

class Strev_ExcpBadAllocation : public Strev_Exception {
 public:
  Strev_ExcpBadAllocation() = default;
  Strev_ExcpBadAllocation(const Strev_ExcpBadAllocation&) = default;
  Strev_ExcpBadAllocation& operator=(const Strev_ExcpBadAllocation&) = default;
  ~Strev_ExcpBadAllocation() override = default;

  std::string m_strObject;
  std::int32_t m_nBytes = 0;
};

class Strev_ExcpFileError : public Strev_Exception {
 public:
  Strev_ExcpFileError() = default;
  Strev_ExcpFileError(const Strev_ExcpFileError&) = default;
  Strev_ExcpFileError& operator=(const Strev_ExcpFileError&) = default;
  ~Strev_ExcpFileError() override = default;

  std::string m_strFileName;
  std::string m_strOperation;
  std::int32_t m_nError = 0;
};

class IterationData {
 public:
  IterationData() = default;
  IterationData(const IterationData&) = default;
  IterationData& operator=(const IterationData&) = default;
  virtual ~IterationData() = default;

  // Structure data and message lists are not kept here: 0, nothing touched.
  virtual int GetVarStructData(int&, double*&, double*&, double*&) { return 0; }
  virtual int GetEqnStructData(int&, double*&, double*&, double*&) { return 0; }
  virtual int GetErrorMessages(int&, char**&) { return 0; }
  virtual int GetWarningMessages(int&, char**&) { return 0; }
  virtual int GetInfoMessages(int&, char**&) { return 0; }

  std::array<std::int32_t, 8> m_nInts{};
  std::array<double, 8> m_dValues{};
  std::array<char, 200> m_szFeasRowName{};
};

class CNimboIterationData : public IterationData {
 public:
  CNimboIterationData() = default;
  CNimboIterationData(const CNimboIterationData&) = default;
  CNimboIterationData& operator=(const CNimboIterationData&) = default;
  ~CNimboIterationData() override = default;

  double m_dExtra1 = 0.0;
  double m_dExtra2 = 0.0;
  std::int32_t m_nExtra = 0;
  std::vector<std::string> m_errors;
  std::int32_t m_nErrorCount = 0;
  std::int32_t m_nErrorFlags = 0;
  std::vector<std::string> m_warnings;
  std::int32_t m_nWarningCount = 0;
  std::int32_t m_nWarningFlags = 0;
  std::vector<std::string> m_infos;
  std::int32_t m_nInfoCount = 0;
  std::int32_t m_nInfoFlags = 0;
};

#pragma once
// The exception classes that cross subsystem boundaries. Each is caught at the
// boundary of the subsystem that raised it and turned into a message and a
// failure result.

#include <exception>
#include <string>
#include <utility>

class CException : public std::exception {
 public:
  CException() = default;
  explicit CException(std::string message) : m_message(std::move(message)) {}
  const char* what() const noexcept override { return m_message.c_str(); }

 private:
  std::string m_message;
};

// A row, column, cell or element index outside its array.
class CInvalidArgException : public CException {
 public:
  CInvalidArgException() : CException("Invalid argument.") {}
  explicit CInvalidArgException(std::string message) : CException(std::move(message)) {}
};

// An operation already reported its failure to the user; the catcher only stops.
class CUserException : public CException {
 public:
  CUserException() : CException("Operation stopped.") {}
  explicit CUserException(std::string message) : CException(std::move(message)) {}
};

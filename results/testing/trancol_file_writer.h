#pragma once
// Writes the bytes of a Trancol sensitivity file as the solver side leaves
// it (status, basis and non-basis names, costs, reduced costs, matrix), for
// tests and the generated model. Header only, so it stays out of the library.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class TrancolBytes {
 public:
  using Name = std::optional<std::string>;
  TrancolBytes& Int(std::int32_t value) { return Put(&value, sizeof value); }
  TrancolBytes& Names(const std::vector<Name>& names) {
    Int(static_cast<std::int32_t>(names.size()));
    for (const Name& name : names) {
      Int(name ? static_cast<std::int32_t>(name->size()) : 0);
      if (name) Put(name->data(), name->size());
    }
    return *this;
  }
  TrancolBytes& Doubles(const std::vector<double>& values) {
    for (double v : values) Put(&v, sizeof v);
    return *this;
  }
  TrancolBytes& Raw(const std::string& bytes) { return Put(bytes.data(), bytes.size()); }
  std::string m_bytes;

 private:
  TrancolBytes& Put(const void* data, std::size_t size) {
    m_bytes.append(static_cast<const char*>(data), size);
    return *this;
  }
};

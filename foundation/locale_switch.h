#pragma once
// Switches one category of the process locale for the length of a scope; the
// process locale is shared by every thread.

#include <string>

class CLocaleSwitch {
 public:
  CLocaleSwitch(int category, const char* locale);
  ~CLocaleSwitch();
  CLocaleSwitch(const CLocaleSwitch&) = delete;
  CLocaleSwitch& operator=(const CLocaleSwitch&) = delete;

 private:
  int m_nCategory;
  std::string m_strSaved;
  bool m_bSaved = false;
};

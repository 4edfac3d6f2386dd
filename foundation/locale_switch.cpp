#include "foundation/locale_switch.h"

#include <clocale>
#include <cstring>

CLocaleSwitch::CLocaleSwitch(int category, const char* locale) : m_nCategory(category) {
  const char* current = std::setlocale(category, nullptr);
  // Already in place: nothing to switch or restore (setting the process locale is not cheap).
  if (current != nullptr && locale != nullptr && std::strcmp(current, locale) == 0) return;
  if (current != nullptr) {
    m_strSaved = current;
    m_bSaved = true;
  }
  std::setlocale(category, locale);
}

CLocaleSwitch::~CLocaleSwitch() {
  if (m_bSaved) std::setlocale(m_nCategory, m_strSaved.c_str());
}

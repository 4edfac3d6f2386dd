#include "foundation/locale_switch.h"

#include <clocale>

CLocaleSwitch::CLocaleSwitch(int category, const char* locale) : m_nCategory(category) {
  if (const char* current = std::setlocale(category, nullptr)) {
    m_strSaved = current;
    m_bSaved = true;
  }
  std::setlocale(category, locale);
}

CLocaleSwitch::~CLocaleSwitch() {
  if (m_bSaved) std::setlocale(m_nCategory, m_strSaved.c_str());
}

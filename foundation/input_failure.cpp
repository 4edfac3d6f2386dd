#include "foundation/input_failure.h"

#include "foundation/string_utils.h"

namespace {

thread_local CInputFailureScope* t_pInnermost = nullptr;

}  // namespace

CInputFailureScope::CInputFailureScope() : m_pOuter(t_pInnermost) { t_pInnermost = this; }

CInputFailureScope::~CInputFailureScope() { t_pInnermost = m_pOuter; }

void NoteInputFailure(const std::string& cause) {
  CInputFailureScope* scope = t_pInnermost;
  if (scope == nullptr || !scope->m_strFirstCause.empty()) return;
  scope->m_strFirstCause = EscapeNonPrintable(cause.empty() ? std::string("an input file cannot be read") : cause);
}

std::string TextFileDamage(std::string_view bytes) {
  if (!bytes.empty() && bytes.back() != '\n') return "its last line is cut short";
  int line = 1;
  for (const char ch : bytes) {
    if (ch == '\n') {
      ++line;
      continue;
    }
    if ((ch < 0x20 || ch > 0x7E) && ch != '\t' && ch != '\r')
      return "line " + std::to_string(line) + " holds a byte that is no character";
  }
  return std::string();
}

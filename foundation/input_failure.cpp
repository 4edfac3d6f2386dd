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

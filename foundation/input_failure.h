#pragma once
// Damaged input met while a case's results are built. A reader that finds a
// file the work needs present but unreadable (cut short, of another format,
// counts past its end) notes why; the work that opened the scope fails with
// the first cause instead of going on without what the file held. A file that
// is absent where it may be absent is no failure and is not noted.
//
// Notes go to the innermost open scope of the calling thread; without one
// they are dropped (the reader's own failure result still says it).

#include <string>
#include <string_view>

class CInputFailureScope {
 public:
  CInputFailureScope();
  ~CInputFailureScope();
  CInputFailureScope(const CInputFailureScope&) = delete;
  CInputFailureScope& operator=(const CInputFailureScope&) = delete;

  // The first cause noted while this scope was the innermost one; empty when none.
  const std::string& GetFirstCause() const { return m_strFirstCause; }
  bool HasFailure() const { return !m_strFirstCause.empty(); }

 private:
  friend void NoteInputFailure(const std::string& cause);
  CInputFailureScope* m_pOuter;
  std::string m_strFirstCause;
};

// Notes that input the current work needs cannot be read; cause names the
// file and what is wrong with it. Bytes that are not printable are escaped.
void NoteInputFailure(const std::string& cause);

// What is wrong with a text file the solver side writes: lines of printable
// ASCII (tabs allowed), each one ended. Empty when nothing is; a last line
// without its end was cut short.
std::string TextFileDamage(std::string_view bytes);

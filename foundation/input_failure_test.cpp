#include "foundation/input_failure.h"

#include <gtest/gtest.h>

namespace {

TEST(InputFailure, TheInnermostScopeKeepsTheFirstCause) {
  NoteInputFailure("no scope: dropped");
  const CInputFailureScope outer;
  EXPECT_FALSE(outer.HasFailure());
  {
    const CInputFailureScope inner;
    NoteInputFailure("the file a.fil is cut short");
    NoteInputFailure("the file b.fil is cut short");
    EXPECT_EQ(inner.GetFirstCause(), "the file a.fil is cut short");
  }
  EXPECT_FALSE(outer.HasFailure());
  // A cause quotes the file's bytes: what prints nothing is escaped.
  NoteInputFailure("table \"A\x01\" in t.map");
  EXPECT_EQ(outer.GetFirstCause(), "table \"A\\x01\" in t.map");
}

TEST(InputFailure, ATextFileOfTheSolverIsWholeLinesOfCharacters) {
  EXPECT_EQ(TextFileDamage(""), "");
  EXPECT_EQ(TextFileDamage("LINKS\r\nBUY\tSCDU 1.5\n"), "");
  EXPECT_EQ(TextFileDamage("LINKS\nBUY SC"), "its last line is cut short");
  EXPECT_EQ(TextFileDamage("LINKS\nBUY S\xA7" "DU\n"), "line 2 holds a byte that is no character");
  EXPECT_EQ(TextFileDamage(std::string("A\0\n", 3)), "line 1 holds a byte that is no character");
}

}  // namespace

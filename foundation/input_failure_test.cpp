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

}  // namespace

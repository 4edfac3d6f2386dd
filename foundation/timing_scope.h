#pragma once
// A section marker placed around a long step (model loading, external-model
// engine, result build). No trace sink exists in this system, so it records
// nothing; it keeps the steps marked where a profiler would hook in.

class CTimingScope {
 public:
  explicit CTimingScope(const char* /*section*/) noexcept {}
  CTimingScope(const CTimingScope&) = delete;
  CTimingScope& operator=(const CTimingScope&) = delete;
  ~CTimingScope() = default;
};

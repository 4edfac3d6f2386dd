#pragma once
// The runner's own messages (ids 101-187), always read from the program's
// compiled-in table, never from a language file.

#include <cstdarg>
#include <cstdint>
#include <string>

// The text of a runner message id.
std::string RunnerText(std::uint32_t id);

// printf formatting into a string of any length.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The same with a va_list.
std::string FormatTextV(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

// Formats the text of a runner message id with the given arguments. The
// texts are our own compiled-in constants, so the format is trusted.
std::string FormatRunnerText(std::uint32_t id, ...);
std::string FormatRunnerTextV(std::uint32_t id, va_list args);

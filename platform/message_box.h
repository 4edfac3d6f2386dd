#pragma once
// Message boxes of a console process: they never block. The text goes to
// standard error and the box's default answer is returned.

#include <string>
#include <string_view>

namespace plat {

enum class BoxButtons { Ok, OkCancel, YesNo, YesNoCancel };

// Box answers, numbered as the callers expect them.
enum BoxAnswer : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

// Writes "caption: text" to standard error (one line per text line) and
// returns the default answer: OK for OK boxes, Cancel for OK/Cancel, No otherwise.
int ShowMessageBox(std::string_view text, std::string_view caption, BoxButtons buttons = BoxButtons::Ok);

// A beep becomes nothing; kept so callers read as they were designed.
inline void MessageBeep() {}

}  // namespace plat

#pragma once
// Numbered messages: load a text by id, fill in its insertions and show it in
// a (non-blocking) message box. The Show functions return false so a caller
// can report and fail in one statement.

#include <cstdint>
#include <string>

// The text of a message of the program's string table (language overrides
// first); an empty text when there is none.
std::string LoadResString(std::uint32_t id);

// Every "%1" (and "%2") of the text replaced by the given insertions.
std::string FormatString1(const std::string& text, const std::string& a);
std::string FormatString2(const std::string& text, const std::string& a, const std::string& b);

// The message with the first "%1", "%2", "%3" (and "%4") replaced. The texts
// fill those places in the order in which the places stand in the message, not
// by their numbers; "%%" becomes "%" and any other "%" stays as it is.
std::string FormatResString3(std::uint32_t id, const std::string& a, const std::string& b,
                             const std::string& c);
std::string FormatResString4(std::uint32_t id, const std::string& a, const std::string& b,
                             const std::string& c, const std::string& d);
// The same substitution on a given text, for callers that hold the text already.
std::string FormatInsertionsInOrder(const std::string& text, const std::string* insertions,
                                    int count);

// Error box captioned with message 10001 ("Error"); always false.
bool ShowErrorMessage(const std::string& text, bool beep = false);
bool ShowErrorMessageId(std::uint32_t id, bool beep = false);
bool ShowFormattedError1(std::uint32_t id, const std::string& a, bool beep = false);
bool ShowFormattedError2(std::uint32_t id, const std::string& a, const std::string& b,
                         bool beep = false);
bool ShowFormattedError3(std::uint32_t id, const std::string& a, const std::string& b,
                         const std::string& c, bool beep = false);
// The message, two line feeds, the detail and, when name is not empty, "[name]".
bool ShowErrorMessageDetail(std::uint32_t id, const std::string& detail, const std::string& name);

// An information box; a console process has no window to show it over, so the
// text goes to standard error and the result is 0 (no box shown).
int ShowInfoMessage(const std::string& text, const std::string& caption = std::string());

// A yes/no question; nobody can answer in a console process, so it is No.
int AskYesNo(const std::string& text, const std::string& caption = std::string());
int AskYesNoId(std::uint32_t textId, std::uint32_t captionId);

// Message ids of the box captions.
constexpr std::uint32_t kIdsErrorCaption = 10001;
constexpr std::uint32_t kIdsWarningCaption = 10012;

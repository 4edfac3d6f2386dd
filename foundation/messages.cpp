#include "foundation/messages.h"

#include <algorithm>
#include <array>

#include "platform/message_box.h"
#include "platform/string_table.h"

namespace {

// The captions live with the code that shows them.
const plat::StringTableRegistrar kCaptions(plat::StringTable::Program,
                                           {{kIdsErrorCaption, "Error"},
                                            {kIdsWarningCaption, "Warning"}});

std::string ReplaceAll(const std::string& text, std::string_view place, const std::string& with) {
  std::string out;
  out.reserve(text.size() + with.size());
  std::size_t from = 0;
  for (std::size_t at = text.find(place); at != std::string::npos; at = text.find(place, from)) {
    out.append(text, from, at - from);
    out += with;
    from = at + place.size();
  }
  out.append(text, from, std::string::npos);
  return out;
}

}  // namespace

std::string LoadResString(std::uint32_t id) {
  return plat::GetString(plat::StringTable::Program, id);
}

std::string FormatString1(const std::string& text, const std::string& a) {
  return ReplaceAll(text, "%1", a);
}

std::string FormatString2(const std::string& text, const std::string& a, const std::string& b) {
  // One pass, so that an insertion holding "%2" is not itself replaced.
  std::string out;
  out.reserve(text.size() + a.size() + b.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == '1' || text[i + 1] == '2')) {
      out += text[i + 1] == '1' ? a : b;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string FormatInsertionsInOrder(const std::string& text, const std::string* insertions,
                                    int count) {
  // One pass: the first "%1".."%count" outside "%%" pairs take the insertions in order.
  count = std::clamp(count, 0, 9);
  std::array<bool, 10> used{};
  std::string out;
  out.reserve(text.size() + 64);
  int next = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '%' && i + 1 < text.size()) {
      const char d = text[i + 1];
      if (d == '%') {
        out += '%';
        ++i;
        continue;
      }
      const int number = d - '0';
      if (number >= 1 && number <= count && !used[static_cast<std::size_t>(number)]) {
        used[static_cast<std::size_t>(number)] = true;
        if (next < count) out += insertions[next++];
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

std::string FormatResString3(std::uint32_t id, const std::string& a, const std::string& b,
                             const std::string& c) {
  const std::array<std::string, 3> texts{a, b, c};
  return FormatInsertionsInOrder(LoadResString(id), texts.data(), 3);
}

std::string FormatResString4(std::uint32_t id, const std::string& a, const std::string& b,
                             const std::string& c, const std::string& d) {
  const std::array<std::string, 4> texts{a, b, c, d};
  return FormatInsertionsInOrder(LoadResString(id), texts.data(), 4);
}

bool ShowErrorMessage(const std::string& text, bool beep) {
  if (beep) plat::MessageBeep();
  plat::ShowMessageBox(text, LoadResString(kIdsErrorCaption), plat::BoxButtons::Ok);
  return false;
}

bool ShowErrorMessageId(std::uint32_t id, bool beep) {
  return ShowErrorMessage(LoadResString(id), beep);
}

bool ShowFormattedError1(std::uint32_t id, const std::string& a, bool beep) {
  return ShowErrorMessage(FormatString1(LoadResString(id), a), beep);
}

bool ShowFormattedError2(std::uint32_t id, const std::string& a, const std::string& b,
                         bool beep) {
  return ShowErrorMessage(FormatString2(LoadResString(id), a, b), beep);
}

bool ShowFormattedError3(std::uint32_t id, const std::string& a, const std::string& b,
                         const std::string& c, bool beep) {
  return ShowErrorMessage(FormatResString3(id, a, b, c), beep);
}

bool ShowErrorMessageDetail(std::uint32_t id, const std::string& detail, const std::string& name) {
  std::string text = LoadResString(id);
  text += "\n\n";
  text += detail;
  if (!name.empty()) text += "[" + name + "]";
  return ShowErrorMessage(text, false);
}

int ShowInfoMessage(const std::string& text, const std::string& caption) {
  // No window of the process is ever active: the box is not shown, only logged.
  plat::ShowMessageBox(text, caption.empty() ? LoadResString(kIdsWarningCaption) : caption,
                       plat::BoxButtons::Ok);
  return 0;
}

int AskYesNo(const std::string& text, const std::string& caption) {
  return plat::ShowMessageBox(text, caption, plat::BoxButtons::YesNo);
}

int AskYesNoId(std::uint32_t textId, std::uint32_t captionId) {
  return AskYesNo(LoadResString(textId), captionId == 0 ? std::string() : LoadResString(captionId));
}

#include "platform/message_box.h"

#include <cstdio>
#include <mutex>

namespace plat {

int ShowMessageBox(std::string_view text, std::string_view caption, BoxButtons buttons) {
  static std::mutex mutex;
  {
    std::lock_guard<std::mutex> lock(mutex);
    std::string line;
    line.reserve(caption.size() + text.size() + 3);
    if (!caption.empty()) {
      line.append(caption);
      line.append(": ");
    }
    line.append(text);
    line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
  }
  switch (buttons) {
    case BoxButtons::Ok: return kIdOk;
    case BoxButtons::OkCancel: return kIdCancel;
    case BoxButtons::YesNo:
    case BoxButtons::YesNoCancel: return kIdNo;
  }
  return kIdOk;
}

}  // namespace plat

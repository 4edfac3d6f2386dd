#include "modelfile/model_text_cipher.h"

// Without the utility library's cipher every text stays as it is, as an unmarked text deciphers to itself.
bool DecipherModelText(const std::string& text, const std::string& /*key*/, std::string& out) {
  out = text;
  return true;
}

bool EncipherModelText(const std::string& text, const std::string& /*key*/, std::string& out) {
  out = text;
  return true;
}

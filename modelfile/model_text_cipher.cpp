#include "modelfile/model_text_cipher.h"

#include <exception>

#include "standins/miskel.h"

bool DecipherModelText(const std::string& text, const std::string& key, std::string& out) {
  out.clear();
  try {
    IMiskel::MiskelPtr miskel = IMiskel::CreateInstance();
    if (!miskel || !miskel->Initialize()) return false;
    return miskel->Decipher(text, key, out);
  } catch (const std::exception&) {
    return false;
  }
}

bool EncipherModelText(const std::string& text, const std::string& key, std::string& out) {
  out.clear();
  try {
    IMiskel::MiskelPtr miskel = IMiskel::CreateInstance();
    if (!miskel || !miskel->Initialize()) return false;
    out = miskel->Encipher(text, key);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

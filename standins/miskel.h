#pragma once
// The utility library's cipher: texts enciphered with a 256-bit key (64
// hexadecimal digits; any other key text is hashed to 256 bits) become
// "{MSK1}" followed by base64 of nonce, ciphertext and tag (AES-256-GCM), so
// the result is printable ASCII, safe in XML, and never begins with "<". An
// unmarked text deciphers to itself; a marked text that fails to decipher
// (wrong key, damaged text) gives no plain text at all.
//
// One instance per operation:
//   IMiskel::MiskelPtr miskel = IMiskel::CreateInstance();
//   miskel->Initialize();
//   std::string sealed = miskel->Encipher(text, key);
// (the instance is destroyed through IMiskel::Destroy when the pointer goes).

#include <memory>
#include <string>

namespace IMiskel {

inline constexpr const char* kCipherMarker = "{MSK1}";

class CMiskel {
 public:
  // Must precede every other call; false when the crypto library cannot start.
  bool Initialize();
  // The enciphered text; throws std::logic_error before Initialize.
  std::string Encipher(const std::string& text, const std::string& key) const;
  // The plain text, or an empty text when a marked text cannot be deciphered.
  std::string Decipher(const std::string& text, const std::string& key) const;
  // The same, telling a failure apart from an empty plain text.
  bool Decipher(const std::string& text, const std::string& key, std::string& plain) const;

 private:
  bool m_bInitialized = false;
};

void Destroy(CMiskel* instance);

struct MiskelDestroyer {
  void operator()(CMiskel* instance) const { Destroy(instance); }
};
using MiskelPtr = std::unique_ptr<CMiskel, MiskelDestroyer>;

MiskelPtr CreateInstance();

// True when the text carries the cipher marker.
bool IsEnciphered(const std::string& text);

}  // namespace IMiskel

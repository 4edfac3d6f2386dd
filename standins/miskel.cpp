#include "standins/miskel.h"

#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/sha.h>

#include <array>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace IMiskel {
namespace {

constexpr std::size_t kKeySize = 32;
constexpr std::size_t kNonceSize = 12;
constexpr std::size_t kTagSize = 16;
// The crypto library counts in int; larger texts are refused.
constexpr std::size_t kMaxText = std::size_t{1} << 30;

using Key = std::array<unsigned char, kKeySize>;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 64 hexadecimal digits are the key itself; any other text is hashed.
Key KeyFromText(const std::string& text) {
  Key key{};
  bool hex = text.size() == 2 * kKeySize;
  for (std::size_t i = 0; hex && i < kKeySize; ++i) {
    const int high = HexValue(text[2 * i]);
    const int low = HexValue(text[2 * i + 1]);
    if (high < 0 || low < 0)
      hex = false;
    else
      key[i] = static_cast<unsigned char>(high * 16 + low);
  }
  if (!hex) SHA256(reinterpret_cast<const unsigned char*>(text.data()), text.size(), key.data());
  return key;
}

struct CipherContextDeleter {
  void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextDeleter>;

std::string Base64Encode(const std::vector<unsigned char>& bytes) {
  std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), bytes.data(),
                                static_cast<int>(bytes.size()));
  out.resize(static_cast<std::size_t>(n));
  return out;
}

bool Base64Decode(const char* text, std::size_t size, std::vector<unsigned char>& bytes) {
  if (size % 4 != 0) return false;
  for (std::size_t i = 0; i < size; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const bool padding = c == '=' && i + 2 >= size && (i + 1 == size || text[i + 1] == '=');
    if (!std::isalnum(c) && c != '+' && c != '/' && !padding) return false;
  }
  bytes.assign(3 * (size / 4) + 1, 0);
  const int n = EVP_DecodeBlock(bytes.data(), reinterpret_cast<const unsigned char*>(text), static_cast<int>(size));
  if (n < 0) return false;
  std::size_t length = static_cast<std::size_t>(n);
  if (size >= 1 && text[size - 1] == '=') --length;
  if (size >= 2 && text[size - 2] == '=') --length;
  bytes.resize(length);
  // Only the canonical form is accepted, so no two texts decode to the same bytes.
  return Base64Encode(bytes) == std::string_view(text, size);
}

}  // namespace

bool CMiskel::Initialize() {
  CipherContext probe(EVP_CIPHER_CTX_new());
  m_bInitialized = probe && EVP_aes_256_gcm() != nullptr;
  return m_bInitialized;
}

std::string CMiskel::Encipher(const std::string& text, const std::string& key) const {
  if (!m_bInitialized) throw std::logic_error("the cipher was not initialised");
  if (text.size() > kMaxText) throw std::length_error("text too long to encipher");
  const Key keyBytes = KeyFromText(key);
  std::vector<unsigned char> sealed(kNonceSize + text.size() + kTagSize);
  unsigned char* nonce = sealed.data();
  unsigned char* body = nonce + kNonceSize;
  unsigned char* tag = body + text.size();
  CipherContext ctx(EVP_CIPHER_CTX_new());
  int written = 0;
  int final = 0;
  if (RAND_bytes(nonce, static_cast<int>(kNonceSize)) != 1 || !ctx ||
      EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, keyBytes.data(), nonce) != 1 ||
      EVP_EncryptUpdate(ctx.get(), body, &written, reinterpret_cast<const unsigned char*>(text.data()),
                        static_cast<int>(text.size())) != 1 ||
      EVP_EncryptFinal_ex(ctx.get(), body + written, &final) != 1 ||
      EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, static_cast<int>(kTagSize), tag) != 1)
    throw std::runtime_error("the cipher failed");
  return std::string(kCipherMarker) + Base64Encode(sealed);
}

bool CMiskel::Decipher(const std::string& text, const std::string& key, std::string& plain) const {
  plain.clear();
  if (!IsEnciphered(text)) {
    plain = text;
    return true;
  }
  if (!m_bInitialized || text.size() > 2 * kMaxText) return false;
  const std::size_t markerSize = std::strlen(kCipherMarker);
  std::vector<unsigned char> sealed;
  if (!Base64Decode(text.data() + markerSize, text.size() - markerSize, sealed) ||
      sealed.size() < kNonceSize + kTagSize)
    return false;
  const Key keyBytes = KeyFromText(key);
  const std::size_t bodySize = sealed.size() - kNonceSize - kTagSize;
  const unsigned char* nonce = sealed.data();
  const unsigned char* body = nonce + kNonceSize;
  unsigned char* tag = sealed.data() + kNonceSize + bodySize;
  std::string out(bodySize, '\0');
  CipherContext ctx(EVP_CIPHER_CTX_new());
  int written = 0;
  int final = 0;
  if (!ctx || EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, keyBytes.data(), nonce) != 1 ||
      EVP_DecryptUpdate(ctx.get(), reinterpret_cast<unsigned char*>(out.data()), &written, body,
                        static_cast<int>(bodySize)) != 1 ||
      EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, static_cast<int>(kTagSize), tag) != 1 ||
      EVP_DecryptFinal_ex(ctx.get(), reinterpret_cast<unsigned char*>(out.data()) + written, &final) != 1)
    return false;  // wrong key or damaged text: the unauthenticated bytes are dropped
  plain = std::move(out);
  return true;
}

std::string CMiskel::Decipher(const std::string& text, const std::string& key) const {
  std::string plain;
  Decipher(text, key, plain);
  return plain;
}

void Destroy(CMiskel* instance) { delete instance; }

MiskelPtr CreateInstance() { return MiskelPtr(new CMiskel()); }

bool IsEnciphered(const std::string& text) { return text.rfind(kCipherMarker, 0) == 0; }

}  // namespace IMiskel

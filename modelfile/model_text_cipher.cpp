#include "modelfile/model_text_cipher.h"

#include <sys/stat.h>

#include <cstdio>
#include <exception>
#include <mutex>
#include <optional>
#include <vector>

#include "foundation/registry.h"
#include "platform/registry.h"
#include "standins/miskel.h"

namespace {

// The key of the files and values written before a site set its own.
constexpr const char* kBuiltInKey = "A1C0E9F27B4D6E8051F3B2A9C7D4E6F10B8A2C4D6E9F1A3B5C7D9E0F2A4B6C8D";
constexpr const char* kSiteKeyPath = "SOFTWARE\\QuorvaneTech\\QuorvaneVorn";
constexpr const char* kSiteKeyValue = "ModelCipherKey";

struct SiteKey {
  std::mutex mutex;
  std::optional<std::string> key;  // read once; empty text: no site key
  std::string refusal;             // why the registry file's key is not used
};

// A key that others can read is no secret, and one that others can write is not the site's: the key of
// such a file is refused. The group may read it, so a site can share it with the group that runs jobs.
std::string RefusalOfRegistryFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || (st.st_mode & (S_IROTH | S_IWOTH | S_IWGRP)) == 0) return {};
  char mode[8];
  std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
  return "The registry file " + path + " (mode " + mode +
         ") can be read or written by others: its ModelCipherKey is not used and the built-in key stands in; "
         "make the file private (chmod 600 or 640).";
}

SiteKey& Site() {
  static SiteKey site;
  return site;
}

// The keys in the order a reading tries them; the first enciphers.
std::vector<std::string> Keys() {
  SiteKey& site = Site();
  std::lock_guard<std::mutex> lock(site.mutex);
  if (!site.key) {
    std::string key;
    ReadRegistryString(key, kSiteKeyPath, kSiteKeyValue, "", RegistryRoot::LocalMachine);
    if (!key.empty()) site.refusal = RefusalOfRegistryFile(plat::RegistryFilePath());
    if (!site.refusal.empty()) key.clear();
    site.key = key;
  }
  if (site.key->empty()) return {kBuiltInKey};
  return {*site.key, kBuiltInKey};
}

IMiskel::MiskelPtr StartedCipher() {
  IMiskel::MiskelPtr miskel = IMiskel::CreateInstance();
  if (!miskel || !miskel->Initialize()) return nullptr;
  return miskel;
}

}  // namespace

bool EncipherModelText(const std::string& text, std::string& out) {
  out.clear();
  try {
    IMiskel::MiskelPtr miskel = StartedCipher();
    if (!miskel) return false;
    out = miskel->Encipher(text, Keys().front());
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool DecipherModelText(const std::string& text, std::string& out) {
  out.clear();
  try {
    IMiskel::MiskelPtr miskel = StartedCipher();
    if (!miskel) return false;
    for (const std::string& key : Keys())
      if (miskel->Decipher(text, key, out)) return true;
  } catch (const std::exception&) {
  }
  out.clear();
  return false;
}

std::string ModelCipherKeyRefusal() {
  Keys();
  SiteKey& site = Site();
  std::lock_guard<std::mutex> lock(site.mutex);
  return site.refusal;
}

void ResetModelCipherKey() {
  SiteKey& site = Site();
  std::lock_guard<std::mutex> lock(site.mutex);
  site.key.reset();
  site.refusal.clear();
}

#pragma once
// The cipher of the model file enciphered as a whole and of its stored
// secrets (DatabaseOutputConnection, the passwords): one utility-library
// instance per operation (create, initialise, encipher or decipher, destroy),
// texts in the internal code page.
//
// The key: a site may set its own, the registry value "ModelCipherKey" under
// HKEY_LOCAL_MACHINE\SOFTWARE\QuorvaneTech\QuorvaneVorn (read once per
// process and never logged). New texts are enciphered with the site key when
// one is set, else with the built-in key; reading tries the site key, then the
// built-in key, which every file and value written without a site key needs.
// The key of a registry file that others can read or write is refused: the
// built-in key stands in and ModelCipherKeyRefusal says so.

#include <string>

// False when the text cannot be enciphered.
bool EncipherModelText(const std::string& text, std::string& out);
// False when no key deciphers the text (out is then empty); an unmarked text
// deciphers to itself.
bool DecipherModelText(const std::string& text, std::string& out);

// Why the registry file's ModelCipherKey is not used (the file is open to
// others), or "" when it is used or there is none. Reads the registry file
// the first time.
std::string ModelCipherKeyRefusal();

// Forgets the site key read before, so that the next use reads the registry
// file again. For tests.
void ResetModelCipherKey();

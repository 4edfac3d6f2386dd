#pragma once
// The model file enciphered as a whole: one utility-library instance per
// operation (create, initialise, encipher or decipher, destroy), texts in the
// internal code page.

#include <string>

// False when the text cannot be deciphered; out then holds what the library gave.
bool DecipherModelText(const std::string& text, const std::string& key, std::string& out);
bool EncipherModelText(const std::string& text, const std::string& key, std::string& out);

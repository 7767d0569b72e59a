#pragma once

#include <string>

// Passwords and security answers are kept as salted SHA-256 digests ("salt$digest"), never as
// typed; tokens and salts come from the system's random source.
std::string randomHex(std::size_t bytes);
std::string hashSecret(const std::string& plain);
bool checkSecret(const std::string& stored, const std::string& plain);

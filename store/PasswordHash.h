// Operator passwords at rest: a salted Argon2id hash in libsodium's text form. Rows written before
// hashing hold the password as typed; they still match, and are rehashed at their next login.
#pragma once

#include <string>

namespace lumetra {

// A new hash of `password` with a fresh salt. Throws std::runtime_error when out of memory.
std::string HashPassword(const std::string& password);

// True when `stored` is a hash made by HashPassword rather than a password kept as typed.
bool IsPasswordHash(const std::string& stored);

// Whether `typed` is the password that `stored` holds, hashed or as typed.
bool PasswordMatches(const std::string& stored, const std::string& typed);

}  // namespace lumetra

#include "store/PasswordHash.h"

#include <sodium.h>

#include <stdexcept>

namespace lumetra {
namespace {

void InitSodium() {
    static const bool ready = sodium_init() >= 0;
    if (!ready) throw std::runtime_error("libsodium could not start");
}

}  // namespace

std::string HashPassword(const std::string& password) {
    InitSodium();
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        throw std::runtime_error("not enough memory to hash a password");
    return hash;
}

bool IsPasswordHash(const std::string& stored) {
    return stored.rfind(crypto_pwhash_argon2id_STRPREFIX, 0) == 0;
}

bool PasswordMatches(const std::string& stored, const std::string& typed) {
    if (!IsPasswordHash(stored)) return stored == typed;
    InitSodium();
    return crypto_pwhash_str_verify(stored.c_str(), typed.data(), typed.size()) == 0;
}

}  // namespace lumetra

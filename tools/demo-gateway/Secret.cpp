#include "Secret.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <stdexcept>

namespace {

std::string toHex(const unsigned char* data, std::size_t size)
{
    static const char* const digits = "0123456789abcdef";
    std::string out;
    out.reserve(size * 2);
    for (std::size_t i = 0; i < size; ++i) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 0xF];
    }
    return out;
}

std::string digest(const std::string& salt, const std::string& plain)
{
    const std::string input = salt + '$' + plain;
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_Digest(input.data(), input.size(), out, &size, EVP_sha256(), nullptr) != 1)
        throw std::runtime_error("SHA-256 failed");
    return toHex(out, size);
}

} // namespace

std::string randomHex(std::size_t bytes)
{
    std::string raw(bytes, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(raw.data()), static_cast<int>(bytes)) != 1)
        throw std::runtime_error("no random bytes");
    return toHex(reinterpret_cast<const unsigned char*>(raw.data()), bytes);
}

std::string hashSecret(const std::string& plain)
{
    const std::string salt = randomHex(8);
    return salt + '$' + digest(salt, plain);
}

bool checkSecret(const std::string& stored, const std::string& plain)
{
    const std::size_t sep = stored.find('$');
    if (sep == std::string::npos)
        return false; // nothing set yet
    const std::string expected = stored.substr(sep + 1);
    const std::string actual = digest(stored.substr(0, sep), plain);
    return expected.size() == actual.size() && CRYPTO_memcmp(expected.data(), actual.data(), actual.size()) == 0;
}

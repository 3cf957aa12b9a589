// SHA-256 (FIPS 180-4), for the password check value of a database.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace qeldao {

std::array<uint8_t, 32> Sha256(std::string_view data);

} // namespace qeldao

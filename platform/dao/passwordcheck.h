// The check value by which a database knows its password.
//
// The file is not encrypted; the password only decides who may open it, as Jet's
// database password does. The file keeps a random salt and the SHA-256 of salt and
// password, never the password itself.
#pragma once

#include <string>

namespace qeldao {

// 16 random bytes as 32 lower-case hexadecimal digits.
std::string NewPasswordSalt();

// 64 lower-case hexadecimal digits.
std::string PasswordCheckValue(const std::string &salt, const std::string &password);

} // namespace qeldao

// A random secret of the user who runs the program, made on first use and kept in the
// user's registry hive protected for that user by the data-protection API
// (CryptProtectData): another user, or the same file on another machine, cannot read it.
#pragma once

#include <optional>
#include <string>

namespace tessary {

// The 32 bytes kept under HKEY_CURRENT_USER\Software\Tessary, value `valueName`. With
// `create`, a secret that is not there yet (or cannot be unprotected) is made from the
// system's random generator and stored; without it, nothing is made. Nothing when the
// secret is not there, cannot be read or cannot be made.
[[nodiscard]] std::optional<std::string> UserSecret(const char* valueName, bool create);

}  // namespace tessary

#include "platform/user_secret.h"

// clang-format off
#include <windows.h>
#include <bcrypt.h>
#include <wincrypt.h>
// clang-format on

#include "platform/registry.h"

namespace tessary {

namespace {

constexpr const char* kSecretKey = "Software\\Tessary";
constexpr std::size_t kSecretBytes = 32;

std::u16string WideName(const char* name) {
  std::u16string out;
  for (const char* p = name; *p; ++p) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(*p)));
  return out;
}

// The output of the data-protection calls, freed with LocalFree.
std::optional<std::string> TakeBlob(BOOL ok, DATA_BLOB& out) {
  if (!ok) return std::nullopt;
  std::string bytes(reinterpret_cast<const char*>(out.pbData), out.cbData);
  SecureZeroMemory(out.pbData, out.cbData);
  LocalFree(out.pbData);
  return bytes;
}

std::optional<std::string> Unprotect(const std::string& blob) {
  DATA_BLOB in{static_cast<DWORD>(blob.size()), reinterpret_cast<BYTE*>(const_cast<char*>(blob.data()))};
  DATA_BLOB out{};
  auto secret = TakeBlob(CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out), out);
  if (secret && secret->size() != kSecretBytes) return std::nullopt;
  return secret;
}

std::optional<std::string> Protect(const std::string& secret) {
  DATA_BLOB in{static_cast<DWORD>(secret.size()), reinterpret_cast<BYTE*>(const_cast<char*>(secret.data()))};
  DATA_BLOB out{};
  return TakeBlob(CryptProtectData(&in, L"Tessary evidence seal", nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                                   &out),
                  out);
}

}  // namespace

std::optional<std::string> UserSecret(const char* valueName, bool create) {
  const std::u16string name = WideName(valueName);
  {
    const RegKey key = RegKey::OpenForReading(HKEY_CURRENT_USER, kSecretKey);
    RegValue stored;
    if (key && key.QueryValue(name, stored) && stored.type() == REG_BINARY) {
      if (auto secret = Unprotect(std::string(stored.data()))) return secret;
    }
  }
  if (!create) return std::nullopt;
  std::string secret(kSecretBytes, '\0');
  if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(secret.data()), static_cast<ULONG>(secret.size()),
                                      BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
    return std::nullopt;
  const std::optional<std::string> blob = Protect(secret);
  if (!blob) return std::nullopt;
  const RegKey key = RegKey::CreateForWriting(HKEY_CURRENT_USER, kSecretKey);
  if (!key || !key.SetValue(name, REG_BINARY, *blob)) return std::nullopt;
  return secret;
}

}  // namespace tessary

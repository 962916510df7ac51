// What the program itself writes to the machine outside its backup directory. A backup
// makes these writes before it records anything, so that a compare never takes them for
// an installer's changes and an undo never takes them back.
#pragma once

namespace tessary {

// The value under HKEY_CURRENT_USER\Software\Tessary holding the secret a compare seals
// its evidence with.
inline constexpr const char* kSealSecretName = "EvidenceSeal";

// Makes the seal's secret when it is not there yet (a new key under
// HKEY_CURRENT_USER\Software\Tessary), and asks once for the folders an undo protects
// (Wine writes a value the first time the user profiles' folder is asked for). A secret
// that cannot be made leaves the compare without a seal, as it would be anyway.
void SettleOwnWrites();

}  // namespace tessary

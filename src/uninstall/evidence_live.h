// The evidence of the live machine and the seal, on the Windows side: Compare gathers the
// facts of each action line as it writes it and seals the action file with them; the
// executor gathers the same facts again before an action and compares (logic/evidence.h).
#pragma once

#include <string>

#include "uninstall/logic/evidence.h"

namespace tessary {

// The facts `line` (an action line as written) rests on, as the machine holds them now:
// the file or folder with every entry below it (never through a link), the key with its
// subkeys, the value the line removes or overwrites, the INI entry it changes or removes.
// `windowsDirectory` holds the INI files.
// With `keyValues`, a key's line records the values of the key and of every subkey too
// (when Compare records values); the executor gathers them again when the record says so.
EvidenceRecord GatherEvidence(const std::string& line, const std::string& windowsDirectory, bool keyValues = false);

// The evidence file of a report or action file: the last three characters made "tse".
std::string EvidencePathFor(const std::string& reportOrActionPath);

// Seals the action file as it lies on disk with `body` (the header and the records) and
// writes the evidence file beside the report. False when the secret or the file could
// not be made: the evidence file is then removed, and the action file is unsealed.
bool WriteSealedEvidence(const std::string& reportPath, const std::string& actionPath, const std::string& body);

// An action file with its evidence, when both are as Compare sealed them for a report
// beside them (.TSC or .SNC). Unsealed: the seal is missing or wrong, the evidence file
// is missing or does not read, the report is not there, or this user has no secret.
struct SealedEvidence {
  bool sealed = false;
  Evidence evidence;
};
SealedEvidence LoadSealedEvidence(const std::string& actionFile);

// The warning shown over an unsealed action file.
inline constexpr const char* kUnsealedText =
    "This uninstall file was changed after Tessary wrote it, or comes from elsewhere.";
inline constexpr const char* kUnsealedDetail =
    "Only removals can be carried out from it, each confirmed on its own; nothing is written or put back, and nothing "
    "inside a folder or below a Registry key that Windows or Tessary needs is touched.";
inline constexpr const char* kUnsealedCaption = "Unsealed uninstall file";

}  // namespace tessary

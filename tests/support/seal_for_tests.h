// Seals an action file as Compare would have sealed it now: the lines written to the
// file, a report beside it, and the evidence of each line as the machine holds it.
#pragma once

#include <string>
#include <vector>

#include "platform/files.h"
#include "testbed.h"
#include "uninstall/evidence_live.h"
#include "uninstall/logic/action_file.h"

namespace tessary::test {

// The lines as written to the action file (with CR LF); the report is made when it is not
// there. True when the evidence file was written and sealed.
inline bool SealAsCompareWould(const std::string& actionFile, const std::vector<std::string>& lines,
                               const std::string& windowsDirectory) {
  std::string content, body = std::string(kEvidenceHeader) + "\r\n";
  for (const std::string& line : lines) {
    content += line + "\r\n";
    body += FormatEvidenceRecord(GatherEvidence(line, windowsDirectory));
  }
  WriteBytes(actionFile, content);
  const std::string report = WithLastThree(actionFile, "TSC");
  if (!FileExists(report)) WriteBytes(report, "report\r\n");
  return WriteSealedEvidence(report, actionFile, body);
}

// The selection's lines as written (its entries where it has none), sealed.
template <typename Selection>
bool SealSelection(const Selection& sel, const std::string& windowsDirectory) {
  return SealAsCompareWould(sel.actionFile, sel.originals.empty() ? sel.entries : sel.originals, windowsDirectory);
}

}  // namespace tessary::test

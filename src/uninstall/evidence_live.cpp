#include "uninstall/evidence_live.h"

#include <windows.h>

#include "core/own_writes.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/hmac.h"
#include "platform/ini_document.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/registry_values.h"
#include "platform/sha256.h"
#include "platform/user_secret.h"
#include "uninstall/logic/action_file.h"
#include "uninstall/logic/uninstall_logic.h"

namespace tessary {

namespace {


EntryFact FactOf(const std::string& relative, const FindEntry& e) {
  EntryFact f;
  f.path = relative;
  f.attributes = e.attributes;
  const bool folder = (e.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  // A folder's time moves whenever an entry comes or goes; its entries are listed themselves.
  f.size = folder ? 0 : e.size;
  f.time = folder ? 0 : (static_cast<std::uint64_t>(e.lastWrite.dwHighDateTime) << 32) | e.lastWrite.dwLowDateTime;
  return f;
}

// Every entry below `folder`, never below a junction or symbolic link.
void GatherFolder(const std::string& folder, const std::string& relative, std::vector<std::string>& facts) {
  for (const FindEntry& e : ListFolder(folder)) {
    const std::string rel = relative.empty() ? e.name : relative + "\\" + e.name;
    facts.push_back(FormatEntryFact(FactOf(rel, e)));
    if ((e.attributes & FILE_ATTRIBUTE_DIRECTORY) && !IsLink(e.attributes))
      GatherFolder(folder + "\\" + e.name, rel, facts);
  }
}

void GatherKey(const RegKey& key, const std::string& relative, std::vector<std::string>& facts, bool values) {
  if (values) {
    RegValue v;
    for (DWORD i = 0; key.EnumValue(i, v) == RegKey::Enum::Ok; ++i)
      facts.push_back(FormatKeyValueFact(relative, EscapedUnits(v.name()), ValueTypeName(v.type()), v.data().size(),
                                         Sha256Hex(v.data())));
  }
  std::vector<std::string> names;
  std::string name;
  for (DWORD i = 0; key.EnumKey(i, name) == RegKey::Enum::Ok; ++i) names.push_back(name);
  for (const std::string& n : names) {
    const std::string rel = relative.empty() ? n : relative + "\\" + n;
    facts.push_back(FormatKeyFact(rel));
    if (const RegKey sub = key.OpenSubKey(n)) GatherKey(sub, rel, facts, values);
  }
}

std::string ValueFactOf(char tag, const ValueData& data) {
  return FormatValueFact(tag, true, ValueTypeName(data.type), data.size, data.whole ? Sha256Hex(data.bytes) : data.sha256);
}

std::string LiveValueFact(const ValueAction& a) {
  const HKEY root = RootKeyNamed(a.root);
  if (!root) return FormatValueFact('V', false, "", 0, "");
  const RegKey key = a.subkey.empty() ? RegKey::Root(root) : RegKey::OpenForReading(root, a.subkey);
  RegValue now;
  if (!key || !key.QueryValue(a.name, now)) return FormatValueFact('V', false, "", 0, "");
  return FormatValueFact('V', true, ValueTypeName(now.type()), now.data().size(), Sha256Hex(now.data()));
}

std::optional<std::string> LiveIniValue(const std::string& ini, const IniAction& a) {
  // A driver line of system.ini is one of many "device=" entries: whether this one is
  // there, as the rewrite that removes it would find it.
  if (EqualsNoCase(a.file, "SYSTEM.INI") && EqualsNoCase(a.section, "386Enh") && EqualsNoCase(a.key, "device")) {
    IniDocument document(ReadWholeFile(ini).value_or(""));
    const std::string before = document.text();
    RemoveDeviceLine(document, a.value);
    if (document.text() != before) return a.value;
    return std::nullopt;
  }
  const std::string one = ProfileReadFull(ini, a.section, a.key, "\x7f" "1");
  if (one != "\x7f" "1") return one;
  const std::string two = ProfileReadFull(ini, a.section, a.key, "\x7f" "2");
  if (two != "\x7f" "2") return two;
  return std::nullopt;
}


std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

EvidenceRecord GatherEvidence(const std::string& line, const std::string& windowsDirectory, bool keyValues) {
  EvidenceRecord record{line, {}};
  auto& facts = record.facts;
  switch (ClassifyAction(line)) {
    case ActionKind::RemoveFile: {
      const auto a = ParseRemoveFileAction(line);
      if (!a) break;
      DirSearch search(a->path);
      FindEntry self;
      if (!search.Next(self)) break;
      facts.push_back(FormatEntryFact(FactOf("", self)));
      if ((self.attributes & FILE_ATTRIBUTE_DIRECTORY) && !IsLink(self.attributes)) GatherFolder(a->path, "", facts);
      break;
    }
    case ActionKind::RegDatRemove: {
      const auto a = ParseRegDatRemoveAction(line);
      const HKEY root = a ? RootKeyNamed(a->root) : nullptr;
      if (!root) break;
      const RegKey key = RegKey::OpenForReading(root, a->subkey);
      if (!key) break;
      facts.push_back(FormatKeyFact(""));
      if (keyValues) facts.emplace_back(kKeyValuesFact);
      GatherKey(key, "", facts, keyValues);
      break;
    }
    case ActionKind::RegValueRemove:
    case ActionKind::RegValueRestore: {
      const auto a = ParseValueAction(line);
      if (!a) break;
      facts.push_back(LiveValueFact(*a));
      if (a->restore) facts.push_back(ValueFactOf('R', a->data));
      break;
    }
    case ActionKind::Change:
    case ActionKind::Add:
    case ActionKind::Remove: {
      const ActionKind kind = ClassifyAction(line);
      const auto a = kind == ActionKind::Change ? ParseChangeAction(line)
                     : kind == ActionKind::Add  ? ParseAddAction(line)
                                                : ParseRemoveAction(line);
      if (!a) break;
      facts.push_back(FormatIniFact(LiveIniValue(windowsDirectory + "\\" + a->file, *a)));
      break;
    }
    case ActionKind::None: break;
  }
  return record;
}

std::string EvidencePathFor(const std::string& reportOrActionPath) { return WithLastThree(reportOrActionPath, "tse"); }

bool WriteSealedEvidence(const std::string& reportPath, const std::string& actionPath, const std::string& body) {
  const std::string evidencePath = EvidencePathFor(reportPath);
  const std::optional<std::string> actions = ReadWholeFile(actionPath);
  const std::optional<std::string> secret = actions ? UserSecret(kSealSecretName, true) : std::nullopt;
  if (!secret || !WriteFileReplacing(evidencePath, body + FormatSealLine(HmacSha256Hex(
                                                               *secret, SealMessage(FileNameOf(reportPath), *actions, body))))) {
    DeleteLeftover(evidencePath);
    return false;
  }
  return true;
}

SealedEvidence LoadSealedEvidence(const std::string& actionFile) {
  SealedEvidence out;
  const std::optional<std::string> content = ReadWholeFile(EvidencePathFor(actionFile));
  const std::optional<std::string> actions = ReadWholeFile(actionFile);
  if (!content || !actions) return out;
  std::optional<Evidence> evidence = ParseEvidence(*content);
  if (!evidence) return out;
  out.evidence = std::move(*evidence);
  if (out.evidence.seal.empty()) return out;
  const std::optional<std::string> secret = UserSecret(kSealSecretName, false);
  if (!secret) return out;
  // The report beside it, of either kind, whose name the seal covers.
  for (const char* ext : {"TSC", "SNC"}) {
    const std::string report = WithLastThree(actionFile, ext);
    if (!FileExists(report)) continue;
    const std::string seal = HmacSha256Hex(*secret, SealMessage(FileNameOf(report), *actions, out.evidence.body));
    if (EqualInConstantTime(out.evidence.seal, seal)) out.sealed = true;
  }
  return out;
}

}  // namespace tessary

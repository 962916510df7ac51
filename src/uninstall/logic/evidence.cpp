#include "uninstall/logic/evidence.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "platform/ascii.h"

namespace tessary {

namespace {

bool Writable(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool KnownFact(std::string_view fact) {
  if (fact.size() >= 2 && fact[0] == 'I' && (fact[1] == '=' || (fact[1] == '-' && fact.size() == 2))) return true;
  return fact.size() >= 2 && fact[1] == ' ' && std::string_view("FKVRW").find(fact[0]) != std::string_view::npos;
}

bool IsLowerHex(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

std::optional<std::uint64_t> ParseNumber(std::string_view text, int base) {
  if (text.empty() || text.size() > (base == 16 ? 16u : 20u)) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return std::nullopt;
    if (value > (UINT64_MAX - static_cast<std::uint64_t>(digit)) / static_cast<std::uint64_t>(base)) return std::nullopt;
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
  }
  return value;
}

int Depth(const std::string& path) {
  if (path.empty()) return 0;
  return 1 + static_cast<int>(std::count(path.begin(), path.end(), '\\'));
}

}  // namespace

const EvidenceRecord* Evidence::Find(std::string_view action) const {
  for (const EvidenceRecord& r : records)
    if (r.action == action) return &r;
  return nullptr;
}

std::string FormatEvidenceRecord(const EvidenceRecord& record) {
  if (!Writable(record.action)) return {};
  std::string out = "A " + record.action + "\r\n";
  for (const std::string& fact : record.facts) {
    if (!Writable(fact) || !KnownFact(fact)) return {};
    out += fact + "\r\n";
  }
  return out;
}

std::string FormatSealLine(std::string_view sealHex) { return "S " + std::string(sealHex) + "\r\n"; }

std::optional<Evidence> ParseEvidence(std::string_view content) {
  Evidence evidence;
  bool header = false, sealed = false;
  std::size_t at = 0;
  while (at < content.size()) {
    std::size_t end = content.find('\n', at);
    if (end == std::string_view::npos) return std::nullopt;  // every line ends
    std::string_view line = content.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t lineStart = at;
    at = end + 1;
    if (sealed) return std::nullopt;
    if (!Writable(line)) return std::nullopt;
    if (!header) {
      if (line != kEvidenceHeader) return std::nullopt;
      header = true;
      continue;
    }
    if (line.size() >= 2 && line[0] == 'A' && line[1] == ' ') {
      evidence.records.push_back({std::string(line.substr(2)), {}});
    } else if (line.size() >= 2 && line[0] == 'S' && line[1] == ' ') {
      const std::string_view hex = line.substr(2);
      if (hex.size() != 64 || !IsLowerHex(hex)) return std::nullopt;
      evidence.seal = std::string(hex);
      evidence.body = std::string(content.substr(0, lineStart));
      sealed = true;
    } else if (KnownFact(line) && !evidence.records.empty()) {
      evidence.records.back().facts.emplace_back(line);
    } else {
      return std::nullopt;
    }
  }
  if (!header) return std::nullopt;
  if (!sealed) evidence.body = std::string(content);
  return evidence;
}

std::string SealMessage(std::string_view reportName, std::string_view actionBytes, std::string_view evidenceBody) {
  std::string message = "TESSARY SEAL 1\n";
  const std::string name = ToUpperAscii(std::string(reportName));
  for (std::string_view part : {std::string_view(name), actionBytes, evidenceBody}) {
    message += std::to_string(part.size()) + "\n";
    message.append(part.data(), part.size());
  }
  return message;
}

std::string FormatEntryFact(const EntryFact& fact) {
  char fields[64];
  std::snprintf(fields, sizeof fields, "F %08X %llu %016llX ", fact.attributes,
                static_cast<unsigned long long>(fact.size), static_cast<unsigned long long>(fact.time));
  return fields + fact.path;
}

std::optional<EntryFact> ParseEntryFact(std::string_view fact) {
  // "F " 8 hex " " decimal " " 16 hex " " path
  if (fact.size() < 2 || fact.substr(0, 2) != "F ") return std::nullopt;
  fact.remove_prefix(2);
  std::string_view parts[3];
  for (auto& part : parts) {
    const std::size_t space = fact.find(' ');
    if (space == std::string_view::npos) return std::nullopt;
    part = fact.substr(0, space);
    fact.remove_prefix(space + 1);
  }
  if (parts[0].size() != 8 || parts[2].size() != 16) return std::nullopt;
  const auto attributes = ParseNumber(parts[0], 16), size = ParseNumber(parts[1], 10), time = ParseNumber(parts[2], 16);
  if (!attributes || !size || !time) return std::nullopt;
  if (parts[1].size() > 1 && parts[1][0] == '0') return std::nullopt;  // one spelling per number
  EntryFact out;
  out.path = std::string(fact);
  out.attributes = static_cast<std::uint32_t>(*attributes);
  out.size = *size;
  out.time = *time;
  return out;
}

std::string FormatKeyFact(std::string_view relativePath) { return "K " + std::string(relativePath); }

std::string FormatValueFact(char tag, bool present, std::string_view typeName, std::uint64_t size,
                            std::string_view sha256) {
  std::string out(1, tag);
  if (!present) return out + " -";
  return out + " " + std::string(typeName) + " " + std::to_string(size) + " " + std::string(sha256);
}

std::string FormatIniFact(const std::optional<std::string>& value) { return value ? "I=" + *value : "I-"; }

std::string FormatKeyValueFact(std::string_view relativePath, std::string_view escapedName, std::string_view typeName,
                               std::uint64_t size, std::string_view sha256) {
  return "W " + std::string(typeName) + " " + std::to_string(size) + " " + std::string(sha256) + " " +
         std::string(escapedName) + ">" + std::string(relativePath);
}

std::vector<std::string> FactsTagged(const EvidenceRecord& record, char tag) {
  std::vector<std::string> out;
  for (const std::string& fact : record.facts)
    if (!fact.empty() && fact[0] == tag) out.push_back(fact);
  return out;
}

std::string FactPath(std::string_view fact) {
  if (fact.size() >= 2 && fact.substr(0, 2) == "K ") return std::string(fact.substr(2));
  if (fact.size() >= 2 && fact.substr(0, 2) == "W " && fact != kKeyValuesFact) {
    // "W " type " " size " " sha " " name ">" path
    std::size_t at = 2;
    for (int field = 0; field < 3 && at != std::string_view::npos; ++field) {
      at = fact.find(' ', at);
      if (at != std::string_view::npos) ++at;
    }
    const std::size_t mark = at == std::string_view::npos ? at : fact.find('>', at);
    if (mark == std::string_view::npos) return {};
    const std::string path(fact.substr(mark + 1));
    return (path.empty() ? std::string() : path + "\\") + kValueMark + std::string(fact.substr(at, mark - at));
  }
  if (const auto entry = ParseEntryFact(fact)) return entry->path;
  return {};
}

std::map<std::string, std::string> FactsByPath(const std::vector<std::string>& facts) {
  std::map<std::string, std::string> out;
  for (const std::string& fact : facts) out.emplace(FactPath(fact), fact);
  return out;
}

TreePlan PlanTreeRemoval(const std::map<std::string, std::string>& recorded,
                         const std::map<std::string, std::string>& live) {
  TreePlan plan;
  std::set<std::string> holding;
  for (const auto& [path, fact] : live) {
    const auto it = recorded.find(path);
    if (it != recorded.end() && it->second == fact) continue;
    plan.kept.push_back(path);
    // Every folder or key above it holds it.
    std::string up = path;
    while (!up.empty()) {
      const std::size_t slash = up.rfind('\\');
      up = slash == std::string::npos ? std::string() : up.substr(0, slash);
      if (!holding.insert(up).second) break;
    }
  }
  plan.whole = plan.kept.empty();
  const std::set<std::string> kept(plan.kept.begin(), plan.kept.end());
  for (const auto& [path, fact] : live)
    if (!kept.count(path) && !holding.count(path)) plan.removable.push_back(path);
  std::stable_sort(plan.removable.begin(), plan.removable.end(),
                   [](const std::string& a, const std::string& b) { return Depth(a) > Depth(b); });
  return plan;
}

}  // namespace tessary

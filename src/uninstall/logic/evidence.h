// The evidence file (.TSE) beside a report and its action file: for every action line
// the facts of the machine it rests on, as Compare found them, and the seal over the
// action file and this file. The format is described in docs/evidence.md. This module
// writes and reads it and holds the pure rules that compare recorded facts with the live
// ones. No <windows.h> here.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// The first line of every evidence file.
inline constexpr std::string_view kEvidenceHeader = "TESSARY EVIDENCE 1";

// The facts of one action line. Each fact is one line of text starting with its tag:
//   "F " attributes(8 hex) " " size(decimal) " " time(16 hex) " " relative path
//        a file or folder; "" is the line's own target, a folder's entries follow with
//        their paths below it ("SUB\f.txt"); a folder's time is written as 0
//   "K " relative path      a subkey of the line's key at any depth ("" is the key itself)
//   "V " type size sha256   the live value a value line removes or overwrites; "V -" none
//   "R " type size sha256   the data a restore line puts back
//   "I=" value              the live INI entry a CHANGE, ADD or REMOVE line finds; "I-" none
//   "W *"                   a key's values are recorded (Compare recorded values)
//   "W " type size sha256 " " name ">" relative path
//                           a value of the key or of a subkey: its type, size, data's
//                           SHA-256 and escaped name (registry_values.h: no ">" in it)
struct EvidenceRecord {
  std::string action;               // the action line as written
  std::vector<std::string> facts;   // in the order found
  bool operator==(const EvidenceRecord& o) const { return action == o.action && facts == o.facts; }
};

struct Evidence {
  std::vector<EvidenceRecord> records;
  std::string body;  // the bytes before the seal line, as the seal covers them
  std::string seal;  // 64 lower-case hex digits, or "" when the file has no seal line
  // The record of an action line as written; nullptr when there is none (the first of
  // several records of the same line counts).
  const EvidenceRecord* Find(std::string_view action) const;
};

// One record as its lines (each ended by CR LF). Empty when the action or a fact holds a
// CR, LF or NUL, or a fact does not start with a known tag: such a record could not be
// read back as written, and an action without a record is never carried out unasked.
std::string FormatEvidenceRecord(const EvidenceRecord& record);
// The seal line that ends the file.
std::string FormatSealLine(std::string_view sealHex);

// Reads an evidence file: the header, then records, then at most one seal line, last.
// Nothing for anything else (a fact before the first action, an unknown tag, a line after
// the seal, a seal that is not 64 lower-case hex digits, a missing header). Lines end in
// CR LF or LF.
std::optional<Evidence> ParseEvidence(std::string_view content);

// The message the seal is the HMAC-SHA-256 of: the report's file name (upper-cased
// ASCII), the action file's bytes and the evidence file's body, each preceded by its
// length, so that no bytes can move from one part to another.
std::string SealMessage(std::string_view reportName, std::string_view actionBytes, std::string_view evidenceBody);

// --- facts ------------------------------------------------------------------------

struct EntryFact {
  std::string path;  // relative to the line's target; "" for the target itself
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
  std::uint64_t time = 0;  // FILETIME as one number; 0 for a folder
};
std::string FormatEntryFact(const EntryFact& fact);
std::optional<EntryFact> ParseEntryFact(std::string_view fact);
std::string FormatKeyFact(std::string_view relativePath);
// "V -" / "R -" for none; else the type's name, the size and the data's SHA-256.
std::string FormatValueFact(char tag, bool present, std::string_view typeName, std::uint64_t size,
                            std::string_view sha256);
std::string FormatIniFact(const std::optional<std::string>& value);
inline constexpr std::string_view kKeyValuesFact = "W *";
std::string FormatKeyValueFact(std::string_view relativePath, std::string_view escapedName, std::string_view typeName,
                               std::uint64_t size, std::string_view sha256);
// The plan's path of a value fact: the key's relative path, a backslash, then "\x01" and
// the escaped name, so that a value new or changed since holds its key. Never a key name.
inline constexpr char kValueMark = '\x01';

// The facts of one tag, in order.
std::vector<std::string> FactsTagged(const EvidenceRecord& record, char tag);

// What may go of a tree (a folder with its entries, or a key with its subkeys), given the
// facts recorded at compare time and those found now, each keyed by relative path ("" the
// root). An entry found now that was not recorded, or whose facts differ, is kept, and so
// is every folder or key that holds it; an entry recorded but gone now needs nothing.
struct TreePlan {
  bool whole = false;                 // everything found now is as recorded: the tree may go at once
  std::vector<std::string> removable;  // found now and as recorded, holding nothing kept; deepest first
  std::vector<std::string> kept;       // new or changed since the report, in path order
};
TreePlan PlanTreeRemoval(const std::map<std::string, std::string>& recorded,
                         const std::map<std::string, std::string>& live);
// The relative path of a fact ("F", "K" and "W" facts); "" for the others.
std::string FactPath(std::string_view fact);
// Facts keyed by their relative path.
std::map<std::string, std::string> FactsByPath(const std::vector<std::string>& facts);

}  // namespace tessary

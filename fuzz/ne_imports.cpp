// The DLL check's reader of executables: the module names of a 16-bit NE executable's
// imported-names table (any other format, a 32-bit PE executable among them, names
// none), held against a plain reading of the header as the check describes it; and
// the name matching of the reference list.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "platform/ascii.h"
#include "uninstall/logic/uninstall_logic.h"

namespace tessary {
namespace {

// The executable's bytes read straight from the buffer.
std::vector<std::string> Reference(std::string_view file) {
  std::vector<std::string> modules;
  auto byte = [&](std::uint64_t at) { return static_cast<unsigned>(static_cast<unsigned char>(file[at])); };
  const std::uint64_t size = file.size();
  if (size < 25 || byte(24) < 0x40) return modules;
  if (size < 62) return modules;  // the 16-bit value at 60 is needed whole
  const std::uint64_t h = byte(60) | (byte(61) << 8);
  if (h > size || h + 44 > size) return modules;
  if (file[h] != 'N' || file[h + 1] != 'E') return modules;
  const unsigned count = byte(h + 30);
  const std::uint64_t t = h + (byte(h + 42) | (byte(h + 43) << 8));
  if (t > size) return modules;
  std::uint64_t at = t + 1;
  for (unsigned i = 0; i < count && at < size; ++i) {
    const unsigned n = byte(at++);
    if (at + n > size) break;
    if (n >= 1 && n <= 8) modules.push_back(std::string(file.substr(at, n)));
    at += n;
  }
  return modules;
}

void Check(std::string_view file) {
  std::size_t reads = 0;
  ReadAtFn readAt = [&](std::uint64_t offset, std::size_t count) {
    ++reads;
    if (offset >= file.size()) return std::string();
    return std::string(file.substr(offset, count));
  };
  const std::vector<std::string> modules = NeImportedModules(readAt, file.size());
  FUZZ_EXPECT(reads <= 4, "a handful of reads per file", std::to_string(reads));
  FUZZ_EXPECT(modules == Reference(file), "the module names of the imported-names table",
              std::to_string(modules.size()) + " modules");
  for (const std::string& module : modules) {
    FUZZ_EXPECT(!module.empty() && module.size() <= 8, "a module name holds 1 to 8 characters", module);
    // A module refers to a DLL whose base name begins with it (two characters at least).
    FUZZ_EXPECT_EQ(ModuleRefersToDll(module, ToLowerAscii(module) + "X"), module.size() >= 2, "module matches its DLL");
    // The reference-list line of a match gives back the referring file. (The list
    // separates the module name from the path with a blank: a name holding one is
    // not told apart.)
    if (module.size() >= 2 && module.find(' ') == std::string::npos) {
      FUZZ_EXPECT_EQ(ReferencingPathOf(module + " C:\\APP\\A.EXE", module), std::string("C:\\APP\\A.EXE"),
                     "reference line");
    }
  }
}

}  // namespace
}  // namespace tessary

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tessary::Check(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}

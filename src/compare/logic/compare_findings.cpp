#include "compare/logic/compare_findings.h"

namespace tessary {

const char* SectionKindName(SectionKind kind) {
  switch (kind) {
    case SectionKind::Boot: return "boot";
    case SectionKind::Ini: return "ini";
    case SectionKind::Registry: return "registry";
    case SectionKind::RegistryValues: return "registryValues";
    case SectionKind::Directory: return "directory";
    case SectionKind::FreeSpace: return "freeSpace";
    case SectionKind::Deep: return "deep";
  }
  return "";
}

}  // namespace tessary

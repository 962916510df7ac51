// Whether a run records registry values: a caller's decision (tessaryc's --values), or
// else [registry] RecordValues (RecordsValues, registry_export.h). No <windows.h>.
#pragma once

namespace tessary {

enum class ValuesSwitch { FromSettings, On, Off };

}  // namespace tessary

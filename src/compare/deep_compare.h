// The deep sections of a compare run (deep tracking on): after the standard sections,
// each listed place's deep listing is merged with a walk of the place. New entries are
// reported once at their top-most item, with a REMOVEFILE action for it; changed files
// UPDATED; gone entries DELETED (report only).
#pragma once

#include "compare/compare_run.h"

namespace tessary {

SectionResult CompareDeepPlaces(CompareRun& run);

}  // namespace tessary

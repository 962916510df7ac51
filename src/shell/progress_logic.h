// When the progress dialog redraws its detail line and lets the waiting messages through. A run offers a detail text for
// every item it looks at; drawing each would cost more than the work itself. A text is
// drawn at once when the last drawing is at least kDetailInterval old; otherwise it is
// held, and the newest held text is drawn at the next check once the interval has
// passed, or whatever the time when the step ends (a new main text, the dialog's end),
// so the last item of a step is always seen. No <windows.h>.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tessary {

class DetailThrottle {
 public:
  static constexpr std::uint64_t kDetailInterval = 50;  // milliseconds

  // A new detail text at `nowMs`: the text to draw now, or nothing when it is held.
  std::optional<std::string> Offer(std::string text, std::uint64_t nowMs);
  // At a check: the held text once the interval since the last drawing has passed.
  std::optional<std::string> Due(std::uint64_t nowMs);
  // At a step's end: the held text, whatever the time.
  std::optional<std::string> Flush(std::uint64_t nowMs);

 private:
  std::optional<std::string> Draw(std::string text, std::uint64_t nowMs);
  std::optional<std::uint64_t> lastDrawn_;
  std::string shown_;
  std::optional<std::string> held_;
};

// The messages waiting for the progress dialog (a repaint, a Cancel click) are let
// through at a run's check at most every kPumpInterval: looking for them at every item
// would cost more than the work. A Cancel is still seen within a few milliseconds.
class PumpThrottle {
 public:
  static constexpr std::uint64_t kPumpInterval = 15;  // milliseconds

  // Whether to look for the messages at a check at `nowMs` (always at the first).
  bool Due(std::uint64_t nowMs);

 private:
  std::optional<std::uint64_t> last_;
};

}  // namespace tessary

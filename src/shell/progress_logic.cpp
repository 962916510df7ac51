#include "shell/progress_logic.h"

#include <utility>

namespace tessary {

std::optional<std::string> DetailThrottle::Draw(std::string text, std::uint64_t nowMs) {
  held_.reset();
  lastDrawn_ = nowMs;
  shown_ = text;
  return text;
}

std::optional<std::string> DetailThrottle::Offer(std::string text, std::uint64_t nowMs) {
  if (lastDrawn_ && text == shown_) {
    held_.reset();  // the line already says it
    return std::nullopt;
  }
  if (!lastDrawn_ || nowMs - *lastDrawn_ >= kDetailInterval) return Draw(std::move(text), nowMs);
  held_ = std::move(text);
  return std::nullopt;
}

std::optional<std::string> DetailThrottle::Due(std::uint64_t nowMs) {
  if (held_ && nowMs - *lastDrawn_ >= kDetailInterval) return Draw(std::move(*held_), nowMs);
  return std::nullopt;
}

std::optional<std::string> DetailThrottle::Flush(std::uint64_t nowMs) {
  if (held_) return Draw(std::move(*held_), nowMs);
  return std::nullopt;
}

bool PumpThrottle::Due(std::uint64_t nowMs) {
  if (last_ && nowMs - *last_ < kPumpInterval) return false;
  last_ = nowMs;
  return true;
}

}  // namespace tessary

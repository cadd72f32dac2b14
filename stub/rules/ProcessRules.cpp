#include "rules/ProcessRules.h"

#include "text/UtilsText.h"

bool ProcessMatches(const ProcessCandidate& candidate, const std::string& searched,
                    const std::string& searched_short, bool full_path_only) {
  if (TrimText(searched).empty()) return false;
  if (SameTextTrimmed(candidate.full_path, searched)) return true;
  // Comparisons that do not apply are skipped, not made against stand-in names that a searched
  // text such as "*X*" could equal.
  if (!full_path_only && SameTextTrimmed(candidate.base_name, searched)) return true;
  return !TrimText(searched_short).empty() && SameTextTrimmed(candidate.short_path, searched_short);
}

std::vector<std::uint16_t> ScoreWindows(const std::vector<WindowFacts>& windows) {
  std::vector<std::uint16_t> scores(windows.size(), 0);
  for (const WindowFacts& w : windows)
    if (w.top_owner >= 0 && std::size_t(w.top_owner) < scores.size()) ++scores[w.top_owner];
  for (std::size_t i = 0; i < windows.size(); ++i) {
    scores[i] = std::uint16_t(scores[i] * 4);
    if (windows[i].has_caption) scores[i] = std::uint16_t(scores[i] + 2);
    if (windows[i].visible) scores[i] = std::uint16_t(scores[i] + 1);
  }
  return scores;
}

int BestScoredWindow(const std::vector<std::uint16_t>& scores) {
  int best = -1;
  std::uint16_t best_score = 0;
  for (std::size_t i = 0; i < scores.size(); ++i) {
    if (scores[i] > best_score) {
      best = int(i);
      best_score = scores[i];
    }
  }
  return best;
}

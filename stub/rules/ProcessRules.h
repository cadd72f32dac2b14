// Decisions of the process control that need no system call: whether a running program is the
// searched one, and which of a process's top-level windows is its main window. Pure code;
// Process.h gathers the facts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One running program as the process list shows it.
struct ProcessCandidate {
  std::string full_path;
  std::string base_name;
  std::string short_path;  // 8.3 form of full_path; "" when it has none
};

// The candidate is the searched program file when its full path, its base name (not with
// full_path_only) or its short path equals the searched text, each trimmed and without regard
// to case. searched_short is the searched file's short form, "" when it has none (then no
// short path matches). An empty searched text matches nothing.
bool ProcessMatches(const ProcessCandidate& candidate, const std::string& searched,
                    const std::string& searched_short, bool full_path_only);

// One collected top-level window of the process.
struct WindowFacts {
  int top_owner = -1;  // index of the window at the top of its owner chain; -1: none collected
  bool has_caption = false;
  bool visible = false;
};
// Scores: 4 for each collected window whose top owner it is, 2 for a caption, 1 if visible.
std::vector<std::uint16_t> ScoreWindows(const std::vector<WindowFacts>& windows);
// Index of the highest score, the earlier window on equal scores; -1 when every score is 0.
int BestScoredWindow(const std::vector<std::uint16_t>& scores);

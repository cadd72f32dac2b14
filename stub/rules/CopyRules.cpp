#include "rules/CopyRules.h"

#include <algorithm>

#include "rules/AgentProtocol.h"
#include "text/UtilsText.h"

std::string TransientCopyName(const std::string& own_file_name) { return "X_" + own_file_name; }
std::string SpanCdCopyName(const std::string& own_file_name) { return "Y_" + own_file_name; }

// Both switches are kept: the override list must reach the copy that an update restarts
// (it applies it) even when a delay is given too.
std::string TransientCopyArguments(const std::string& tail) {
  std::string args;
  const std::string transient = SwitchValueIn(tail, "/TRANSIENT=");
  if (!transient.empty()) args += " /TRANSIENTx=" + transient;
  const std::string delay = SwitchValueIn(tail, "/DELAY=");
  if (!delay.empty()) args += " /SleepX=" + delay;
  return args;
}

std::vector<RemotePost> RemoteCommandPosts(const std::string& tail, bool fresh_copy) {
  std::vector<RemotePost> posts;
  const std::int64_t stop = SwitchIntIn(tail, "/STOP=", -1);
  if (stop >= 0) posts.push_back({RemoteMessage::StopCountdown, std::uint64_t(stop), 0});
  if (HasSwitchIn(tail, "/WM_MSG=")) {
    const std::string value = SwitchValueIn(tail, "/WM_MSG=");
    const std::size_t colon = value.find(':');
    const std::string window = value.substr(0, colon);
    const std::string message = colon == std::string::npos ? std::string() : value.substr(colon + 1);
    posts.push_back({RemoteMessage::RegisterListener, std::uint64_t(ParseDecimal(window, 0)),
                     ParseDecimal(message, 0)});
  }
  const std::int64_t test = SwitchIntIn(tail, "/TEST=", -1);
  if (test >= 0) {
    posts.push_back({RemoteMessage::Command, std::uint64_t(AgentCommandCode::CheckNow), test});
    if (fresh_copy) posts.push_back({RemoteMessage::StopCountdown, 2, 0});
  }
  return posts;
}

std::string WithoutSwitch(const std::string& tail, const std::string& name) {
  std::string text = tail;
  for (int at; !name.empty() && (at = PosIC(name, text)) > 0;) {
    const std::size_t start = std::size_t(at - 1);
    std::size_t end = start + name.size();
    if (end < text.size() && text[end] == '"') {
      const std::size_t close = text.find('"', end + 1);
      end = close == std::string::npos ? text.size() : close + 1;
    } else {
      end = std::min(text.find(' ', end), text.find('/', end));
      if (end == std::string::npos) end = text.size();
    }
    text = TrimText(text.substr(0, start)) + (start > 0 && end < text.size() ? " " : "") +
           TrimText(text.substr(end));
  }
  return TrimText(text);
}

std::string SpanCdCopyArguments(const std::string& tail, const std::string& own_path) {
  const std::string rest = WithoutSwitch(WithoutSwitch(tail, "/SpanCdLvl="), "/SpanDiskFName1=");
  std::string args = "/SpanDiskFName1=\"" + own_path + ".001\" /SpanCdLvl=2";
  if (!rest.empty()) args += " " + rest;
  return args;
}

// The text rules of the stub's copies of itself: the arguments of a new transient copy, the
// remote-control messages that the agent's switches turn into, and the command line that the
// CD-span stub forwards to its copy. Pure code; StubSetup.cpp starts the copies and posts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// "X_" + the agent's file name: the transient copy, beside the agent.
std::string TransientCopyName(const std::string& own_file_name);
// "Y_" + the stub's file name: the CD-span copy, in the extraction folder.
std::string SpanCdCopyName(const std::string& own_file_name);

// The arguments (each after a space) of a new transient copy, from the agent's command tail:
// " /TRANSIENTx=" + the value of "/TRANSIENT=", then " /SleepX=" + the value of "/DELAY=".
std::string TransientCopyArguments(const std::string& tail);

// One remote-control message to the transient copy's window.
enum class RemoteMessage { StopCountdown, RegisterListener, Command };
struct RemotePost {
  RemoteMessage message;
  std::uint64_t w_param;
  std::int64_t l_param;
};
inline bool operator==(const RemotePost& a, const RemotePost& b) {
  return a.message == b.message && a.w_param == b.w_param && a.l_param == b.l_param;
}
// What "/STOP=", "/WM_MSG=" and "/TEST=" of the tail send, in order. A copy that this start
// made new (fresh_copy) also gets a stop countdown of 2 with "/TEST=".
std::vector<RemotePost> RemoteCommandPosts(const std::string& tail, bool fresh_copy);

// The tail without every occurrence of the switch (name as HasSwitch takes it, "/X=") and the
// value SwitchValue would read for it (a quoted value with its quotes).
std::string WithoutSwitch(const std::string& tail, const std::string& name);
// The arguments of the CD-span copy: "/SpanDiskFName1=" with the quoted path of volume 1 (own
// path + ".001"), "/SpanCdLvl=2", then the stub's tail without those two switches, so that a
// copy never hands over again. The two come first, as a forwarded tail may end in an open
// quote; the level follows the path, as a command tail loses a closing quote at its end.
std::string SpanCdCopyArguments(const std::string& tail, const std::string& own_path);

// box-driver: waits for a message box window, prints what it shows and then acts on it, in
// the order of the options. Used by the end-to-end tests of the stub.
//
//   box-driver [--class WMsgBox] [--timeout MS] [--bold]
//              [--key left|right|up|down|enter|CODE]... [--char C]... [--press ID|CAPTION]
//              [--via click|command]
//
// Output: see box_driver::FormatBox. Exit status: 0 done, 1 no box within the timeout,
// 2 bad options, 3 an action failed (no such button).
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "BoxDriver.h"

namespace {

int Usage(const char* problem) {
  std::fprintf(stderr,
               "box-driver: %s\nusage: box-driver [--class NAME] [--timeout MS] [--bold] "
               "[--key left|right|up|down|enter|CODE]... [--char C]... [--press ID|CAPTION] "
               "[--via click|command]\n",
               problem);
  return 2;
}

bool KeyCode(const std::string& name, UINT& code) {
  static const std::pair<const char*, UINT> names[] = {
      {"left", VK_LEFT}, {"right", VK_RIGHT}, {"up", VK_UP},
      {"down", VK_DOWN}, {"enter", VK_RETURN}, {"escape", VK_ESCAPE}};
  for (const auto& n : names)
    if (name == n.first) {
      code = n.second;
      return true;
    }
  char* end = nullptr;
  const unsigned long v = std::strtoul(name.c_str(), &end, 0);
  if (name.empty() || *end || v == 0 || v > 255) return false;
  code = static_cast<UINT>(v);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);  // lines end in LF alone, texts keep their bytes
  std::string class_name = "WMsgBox";
  DWORD timeout = 10000;
  bool bold = false;
  box_driver::PressWay way = box_driver::PressWay::Click;
  std::vector<std::pair<std::string, std::string>> actions;  // in the order given
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--bold") {
      bold = true;
      continue;
    }
    if (i + 1 >= argc) return Usage(("missing value after " + arg).c_str());
    const std::string value = argv[++i];
    if (arg == "--class") {
      class_name = value;
    } else if (arg == "--timeout") {
      timeout = static_cast<DWORD>(std::strtoul(value.c_str(), nullptr, 10));
    } else if (arg == "--via") {
      if (value != "click" && value != "command") return Usage("--via takes click or command");
      way = value == "click" ? box_driver::PressWay::Click : box_driver::PressWay::Command;
    } else if (arg == "--key" || arg == "--char" || arg == "--press") {
      UINT code = 0;
      if (arg == "--key" && !KeyCode(value, code)) return Usage(("unknown key " + value).c_str());
      if (arg == "--char" && value.size() != 1) return Usage("--char takes one character");
      actions.emplace_back(arg, value);
    } else {
      return Usage(("unknown option " + arg).c_str());
    }
  }

  const HWND box = box_driver::FindBox(class_name, timeout);
  if (!box) {
    std::printf("nobox=%s\n", class_name.c_str());
    return 1;
  }
  const box_driver::BoxInfo info = box_driver::ReadBox(box, bold);
  std::fputs(box_driver::FormatBox(info).c_str(), stdout);
  std::fflush(stdout);

  for (const auto& action : actions) {
    bool ok = false;
    if (action.first == "--key") {
      UINT code = 0;
      KeyCode(action.second, code);
      ok = box_driver::PressKey(box, code);
      Sleep(100);  // the box moves its focus before the next key
    } else if (action.first == "--char") {
      ok = box_driver::TypeChar(box, static_cast<unsigned char>(action.second[0]));
    } else {
      const HWND button = box_driver::FindButton(info, action.second);
      const int id = button ? GetDlgCtrlID(button) : 0;  // before the click destroys it
      ok = box_driver::PressButton(info, button, way);
      if (ok) std::printf("pressed=%d\n", id);
    }
    if (!ok) {
      std::printf("failed=%s %s\n", action.first.c_str(), action.second.c_str());
      return 3;
    }
  }
  std::fflush(stdout);
  return 0;
}

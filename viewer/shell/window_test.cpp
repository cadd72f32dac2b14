// Starts the real viewer in an empty folder on the test's X display and looks at its windows:
// colours and places of the main area and the two bars, before and after a resize, and the
// console lines of a start-up without a model file.
#include <gtest/gtest.h>

#include "support/temp_folder.h"
// After GoogleTest: Xlib defines macros such as None and Bool that clash with its names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

std::string viewer_path;  // from the command line, made absolute: the viewer starts elsewhere

// The console lines in UTF-8, as a UTF-8 terminal must show them.
const char kReadingUtf8[] =
    "\xE6\xAD\xA3\xE5\x9C\xA8\xE8\xAF\xBB\xE5\x8F\x96\xE6\xA8\xA1\xE5\x9E\x8B\xEF\xBC\x8C\xE8\xAF"
    "\xB7\xE7\xA8\x8D\xE5\x90\x8E\xE3\x80\x82\xE3\x80\x82\xE3\x80\x82\xE3\x80\x82\xE3\x80\x82\xE3"
    "\x80\x82\xE3\x80\x82\xE3\x80\x82";  // 正在读取模型，请稍后。。。。。。。。
const char kDoneUtf8[] =
    "\xE8\xAF\xBB\xE5\x8F\x96\xE5\xAE\x8C\xE6\xAF\x95\xEF\xBC\x81\xE4\xB8\xBB\xE7\xA8\x8B\xE5\xBA"
    "\x8F\xE5\x85\xB3\xE9\x97\xAD\xE5\x89\x8D\xE8\xAF\xB7\xE4\xB8\x8D\xE8\xA6\x81\xE5\x85\xB3\xE9"
    "\x97\xAD\xE6\xAD\xA4\xE7\xAA\x97\xE5\x8F\xA3\xE3\x80\x82";  // 读取完毕！主程序关闭前请不要关闭此窗口。

// The same lines as the viewer holds them.
const char kReadingGbk[] =
    "\xD5\xFD\xD4\xDA\xB6\xC1\xC8\xA1\xC4\xA3\xD0\xCD\xA3\xAC\xC7\xEB\xC9\xD4\xBA\xF3"
    "\xA1\xA3\xA1\xA3\xA1\xA3\xA1\xA3\xA1\xA3\xA1\xA3\xA1\xA3\xA1\xA3";
const char kDoneGbk[] =
    "\xB6\xC1\xC8\xA1\xCD\xEA\xB1\xCF\xA3\xA1\xD6\xF7\xB3\xCC\xD0\xF2\xB9\xD8\xB1\xD5"
    "\xC7\xB0\xC7\xEB\xB2\xBB\xD2\xAA\xB9\xD8\xB1\xD5\xB4\xCB\xB4\xB0\xBF\xDA\xA1\xA3";

struct Rgb {
  int r, g, b;
};
// 8-bit values of the fixed colours (0.227, 0.321, 0.353) and (0.172, 0.239, 0.270).
constexpr Rgb kBackground{58, 82, 90};
constexpr Rgb kBar{44, 61, 69};

bool near(const Rgb& a, const Rgb& b) {
  return std::abs(a.r - b.r) <= 2 && std::abs(a.g - b.g) <= 2 && std::abs(a.b - b.b) <= 2;
}

// Polls until done() or the time runs out.
bool wait_for(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto end = Clock::now() + limit;
  while (Clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

// The viewer as a child process, killed when the test ends however it ends.
class Viewer {
 public:
  Viewer(const fs::path& folder, const char* locale) {
    pid_ = fork();
    if (pid_ != 0) return;
    if (chdir(folder.c_str()) != 0) _exit(126);
    if (!freopen("stdout.txt", "w", stdout) || !freopen("stderr.txt", "w", stderr)) _exit(126);
    setenv("LC_ALL", locale, 1);
    execl(viewer_path.c_str(), viewer_path.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  ~Viewer() {
    if (pid_ <= 0 || !running()) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  Viewer(const Viewer&) = delete;
  Viewer& operator=(const Viewer&) = delete;

  bool started() const { return pid_ > 0; }
  // False once the process has ended; the status is collected once and kept.
  bool running() const {
    if (pid_ > 0 && !ended_ && waitpid(pid_, nullptr, WNOHANG) == pid_) ended_ = true;
    return pid_ > 0 && !ended_;
  }

 private:
  pid_t pid_ = -1;
  mutable bool ended_ = false;
};

int ignore_x_errors(Display*, XErrorEvent*) { return 0; }  // a window may vanish between calls

struct DisplayCloser {
  void operator()(Display* d) const { XCloseDisplay(d); }
};

// One capture of a window with its children, as 8-bit RGB.
class Shot {
 public:
  Shot(Display* display, Window window, int width, int height) : width_(width), height_(height) {
    XImage* image = XGetImage(display, window, 0, 0, unsigned(width), unsigned(height), AllPlanes,
                              ZPixmap);
    if (!image) return;
    pixels_.resize(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const unsigned long p = XGetPixel(image, x, y);
        pixels_[size_t(y) * size_t(width) + size_t(x)] = {int(channel(p, image->red_mask)),
                                                          int(channel(p, image->green_mask)),
                                                          int(channel(p, image->blue_mask))};
      }
    XDestroyImage(image);
  }
  bool valid() const { return !pixels_.empty(); }
  Rgb at(int x, int y) const { return pixels_[size_t(y) * size_t(width_) + size_t(x)]; }

  // Share of the pixels in [x0, x1) x [y0, y1) that show the colour.
  double share(int x0, int y0, int x1, int y1, const Rgb& colour) const {
    long hits = 0, all = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x, ++all) hits += near(at(x, y), colour);
    return all ? double(hits) / double(all) : 0;
  }

 private:
  static unsigned long channel(unsigned long pixel, unsigned long mask) {
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    const unsigned long max = mask >> shift;
    return ((pixel & mask) >> shift) * 255 / max;
  }
  int width_, height_;
  std::vector<Rgb> pixels_;
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(viewer_path.empty()) << "usage: shell_window_test PATH-TO-TOLVANE";
    display_.reset(XOpenDisplay(nullptr));
    ASSERT_TRUE(display_) << "no X display (run under scripts/with-display.sh)";
    XSetErrorHandler(ignore_x_errors);
    ASSERT_FALSE(folder_.path().empty());
  }

  Display* display() { return display_.get(); }

  std::set<Window> top_level_windows() {
    std::set<Window> found;
    Window root_return, parent;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display(), DefaultRootWindow(display()), &root_return, &parent, &children,
                   &count)) {
      found.insert(children, children + count);
      if (children) XFree(children);
    }
    return found;
  }

  bool is_viewable_tolvane(Window w) {
    char* name = nullptr;
    bool named = XFetchName(display(), w, &name) && name && std::string(name) == "Tolvane";
    if (name) XFree(name);
    XWindowAttributes a;
    return named && XGetWindowAttributes(display(), w, &a) && a.map_state == IsViewable;
  }

  // The viewer's window: a top-level "Tolvane" that was not there before it started.
  Window find_new_window(const std::set<Window>& before, const Viewer& viewer) {
    Window found = 0;
    wait_for(
        [&] {
          for (Window w : top_level_windows())
            if (!before.count(w) && is_viewable_tolvane(w)) found = w;
          return found != 0 || !viewer.running();
        },
        std::chrono::seconds(30));
    return found;
  }

  XWindowAttributes attributes(Window w) {
    XWindowAttributes a{};
    XGetWindowAttributes(display(), w, &a);
    return a;
  }

  // Waits until a capture of the whole window shows its bars in place, and returns it.
  Shot wait_for_layout(Window w, int width, int height) {
    Shot shot(display(), w, 1, 1);
    wait_for(
        [&] {
          const XWindowAttributes a = attributes(w);
          if (a.width != width || a.height != height) return false;
          shot = Shot(display(), w, width, height);
          return shot.valid() && near(shot.at(width / 2, height / 2), kBackground) &&
                 near(shot.at(width - 3, height - 20), kBar) && near(shot.at(width - 3, 20), kBar);
        },
        std::chrono::seconds(20));
    return shot;
  }

  // The main area in its background colour, each bar exactly 35 pixels high over the full width.
  static void expect_layout(const Shot& shot, int w, int h) {
    ASSERT_TRUE(shot.valid());
    EXPECT_GE(shot.share(0, 0, w, 35, kBar), 0.85) << "top bar";
    EXPECT_GE(shot.share(0, h - 35, w, h, kBar), 0.80) << "bottom bar";
    EXPECT_GE(shot.share(w - 20, 0, w, 35, kBar), 0.90) << "top bar's right end";
    EXPECT_GE(shot.share(w - 20, h - 35, w, h, kBar), 0.90) << "bottom bar's right end";
    EXPECT_GE(shot.share(0, 2, 20, 33, kBar), 0.90) << "top bar's left end";
    // Just below and above the bars, and the middle, belong to the main window.
    EXPECT_GE(shot.share(0, 35, w, 40, kBackground), 0.98) << "below the top bar";
    // The search line stands just above the bottom bar on the left; the right half is free.
    EXPECT_GE(shot.share(w / 2, h - 40, w, h - 35, kBackground), 0.98) << "above the bottom bar";
    EXPECT_GE(shot.share(0, 40, w, h - 60, kBackground), 0.98) << "main area";
  }

  std::string read_file(const char* name) {
    std::ifstream in(folder_.path() / name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::string console_output() { return read_file("stdout.txt"); }

  void expect_console(const char* locale, const std::string& first_line,
                      const std::string& last_line);

  TempFolder folder_{"tolvane-window"};
  std::unique_ptr<Display, DisplayCloser> display_;
};

TEST_F(WindowTest, OpensWithBarsInPlaceAndKeepsThemOnTheEdgesAfterAResize) {
  const std::set<Window> before = top_level_windows();
  Viewer viewer(folder_.path(), "zh_CN.UTF-8");
  ASSERT_TRUE(viewer.started());
  const Window w = find_new_window(before, viewer);
  ASSERT_NE(w, 0u) << "no Tolvane window appeared; stderr: " << read_file("stderr.txt");

  const XWindowAttributes start = attributes(w);
  EXPECT_EQ(start.x, 10);
  EXPECT_EQ(start.y, 10);
  ASSERT_EQ(start.width, 800);
  ASSERT_EQ(start.height, 600);
  expect_layout(wait_for_layout(w, 800, 600), 800, 600);

  // Taller and wider: the bottom bar must follow the bottom edge and both bars the width.
  XResizeWindow(display(), w, 1000, 700);
  XSync(display(), False);
  expect_layout(wait_for_layout(w, 1000, 700), 1000, 700);

  // Smaller again, below the start size.
  XResizeWindow(display(), w, 640, 480);
  XSync(display(), False);
  expect_layout(wait_for_layout(w, 640, 480), 640, 480);
  EXPECT_TRUE(viewer.running());
}

// Both console lines in the terminal's encoding, the reader's message for the missing model
// file right after the first.
void WindowTest::expect_console(const char* locale, const std::string& first_line,
                                const std::string& last_line) {
  const std::set<Window> before = top_level_windows();
  Viewer viewer(folder_.path(), locale);
  ASSERT_TRUE(viewer.started());
  // The window is mapped on creation, before the loading and the second line.
  ASSERT_NE(find_new_window(before, viewer), 0u)
      << "no Tolvane window appeared; stderr: " << read_file("stderr.txt");
  const std::string first = first_line + "\n";
  const std::string reader = "Unable to find the file: man.3ds!\n";
  const std::string last = last_line + "\n";
  wait_for([&] { return console_output().find(last) != std::string::npos; },
           std::chrono::seconds(20));
  const std::string out = console_output();
  // Messages of the atlas loading may stand between the reader's message and the last line.
  EXPECT_EQ(out.substr(0, first.size() + reader.size()), first + reader) << out;
  ASSERT_GE(out.size(), last.size());
  EXPECT_EQ(out.substr(out.size() - last.size()), last) << out;
  EXPECT_TRUE(viewer.running());
}

TEST_F(WindowTest, ConsoleShowsBothLinesInUtf8OnAUtf8Terminal) {
  expect_console("zh_CN.UTF-8", kReadingUtf8, kDoneUtf8);
}

TEST_F(WindowTest, ConsoleKeepsTheGbkBytesWhereTheTerminalCannotShowThem) {
  expect_console("C", kReadingGbk, kDoneGbk);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc > 1) viewer_path = fs::absolute(argv[1]).string();
  return RUN_ALL_TESTS();
}

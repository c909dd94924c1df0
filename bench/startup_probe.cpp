// Time from starting the desktop tool to its window showing the simulator's
// data, measured from outside through the X server: the tool is started
// (settings file naming the simulator's port), its window is found by its
// process id, and its pixels are read every few milliseconds. "Shown" is when
// the window is first painted; "data" is when the pixel rows that the
// identification replies fill reach their final look. Rows that keep changing
// (the live position, the drifting readings) settle only late, so the median
// row-settling time of all rows that differ between the first painted frame and
// the last one is the time the identity appeared. Needs an X server (Xvfb):
// DISPLAY, and BRISKO_PORTS_DIR pointing at the simulator's port, come from
// the caller.
//
// Usage: brisko_startup_probe --tool PATH --port N --workdir DIR [--runs R] [--observe SECONDS]
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/distribution.h"

namespace brisko {
namespace {

using Clock = std::chrono::steady_clock;

int IgnoreXError(Display*, XErrorEvent*) { return 0; }  // the window may go while we read it

struct Frame {
  double ms = 0;  // since the tool was started
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  bool SameRow(const Frame& other, int y) const {
    if (width != other.width || y >= height || y >= other.height) return false;
    return std::memcmp(&pixels[static_cast<std::size_t>(y * width)], &other.pixels[static_cast<std::size_t>(y * width)],
                       static_cast<std::size_t>(width) * sizeof(std::uint32_t)) == 0;
  }
  bool Uniform() const {
    return std::all_of(pixels.begin(), pixels.end(), [&](std::uint32_t p) { return p == pixels.front(); });
  }
};

Window FindViewableWindowOf(Display* display, pid_t pid, Atom pidAtom) {
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  Window found = 0;
  if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) return 0;
  for (unsigned i = 0; i < count && found == 0; ++i) {
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after,
                           &data) == Success &&
        data != nullptr && items == 1 && format == 32) {
      const auto windowPid = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data));
      XWindowAttributes attributes;
      if (windowPid == pid && XGetWindowAttributes(display, children[i], &attributes) != 0 &&
          attributes.map_state == IsViewable) {
        found = children[i];
      }
    }
    if (data != nullptr) XFree(data);
  }
  if (children != nullptr) XFree(children);
  return found;
}

bool Capture(Display* display, Window window, Frame& frame) {
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display, window, &attributes) == 0) return false;
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  frame.width = attributes.width;
  frame.height = attributes.height;
  frame.pixels.resize(static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height));
  for (int y = 0; y < frame.height; ++y) {
    for (int x = 0; x < frame.width; ++x) {
      frame.pixels[static_cast<std::size_t>(y * frame.width + x)] = static_cast<std::uint32_t>(XGetPixel(image, x, y));
    }
  }
  XDestroyImage(image);
  return true;
}

pid_t StartTool(const std::string& tool, const std::string& workdir) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(workdir.c_str()) != 0) _exit(127);
    ::execl(tool.c_str(), tool.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

struct RunFigures {
  double paintedMs = -1;
  double dataMs = -1;
};

// The rows that change between the first painted frame and the last: the
// median of the times at which each settled on its final look.
double DataShownMs(const std::vector<Frame>& frames, std::size_t firstPainted) {
  const Frame& last = frames.back();
  std::vector<double> settled;
  for (int y = 0; y < frames[firstPainted].height; ++y) {
    if (frames[firstPainted].SameRow(last, y)) continue;
    std::size_t k = frames.size() - 1;
    while (k > firstPainted && frames[k - 1].SameRow(last, y)) --k;
    settled.push_back(frames[k].ms);
  }
  if (settled.empty()) return frames[firstPainted].ms;  // the data was there at the first paint
  return Summarize(settled).median;
}

bool OneRun(Display* display, Atom pidAtom, const std::string& tool, const std::string& workdir, int port,
            double observeSeconds, RunFigures& figures) {
  {
    std::ofstream settings(workdir + "/BRISKO.INI", std::ios::trunc);
    settings << port;
  }
  const Clock::time_point start = Clock::now();
  const pid_t pid = StartTool(tool, workdir);
  if (pid < 0) return false;
  const auto sinceStart = [&] { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); };

  std::vector<Frame> frames;
  Window window = 0;
  while (sinceStart() < observeSeconds * 1000) {
    std::this_thread::sleep_for(std::chrono::milliseconds(4));
    if (window == 0) {
      window = FindViewableWindowOf(display, pid, pidAtom);
      if (window == 0) continue;
    }
    Frame frame;
    if (!Capture(display, window, frame)) continue;
    frame.ms = sinceStart();
    if (!frames.empty() && frames.back().width == frame.width && frames.back().pixels == frame.pixels) continue;
    frames.push_back(std::move(frame));
  }
  ::kill(pid, SIGTERM);
  int status = 0;
  ::waitpid(pid, &status, 0);

  std::size_t firstPainted = 0;
  while (firstPainted < frames.size() && frames[firstPainted].Uniform()) ++firstPainted;
  if (firstPainted >= frames.size()) return false;
  figures.paintedMs = frames[firstPainted].ms;
  figures.dataMs = DataShownMs(frames, firstPainted);
  return true;
}

}  // namespace
}  // namespace brisko

int main(int argc, char** argv) {
  std::string tool;
  std::string workdir;
  int port = 0;
  int runs = 5;
  double observeSeconds = 6;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string arg = argv[i];
    if (arg == "--tool") tool = argv[i + 1];
    if (arg == "--workdir") workdir = argv[i + 1];
    if (arg == "--port") port = std::atoi(argv[i + 1]);
    if (arg == "--runs") runs = std::atoi(argv[i + 1]);
    if (arg == "--observe") observeSeconds = std::atof(argv[i + 1]);
  }
  if (tool.empty() || workdir.empty() || port <= 0 || runs <= 0) {
    std::fprintf(stderr,
                 "usage: brisko_startup_probe --tool PATH --port N --workdir DIR [--runs R] [--observe SECONDS]\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "startup_probe: no X display\n");
    return 1;
  }
  XSetErrorHandler(brisko::IgnoreXError);
  const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);

  std::vector<double> painted;
  std::vector<double> data;
  std::vector<double> overFloor;
  for (int run = 0; run < runs; ++run) {
    brisko::RunFigures figures;
    if (!brisko::OneRun(display, pidAtom, tool, workdir, port, observeSeconds, figures)) {
      std::fprintf(stderr, "startup_probe: run %d: the window never showed\n", run + 1);
      XCloseDisplay(display);
      return 1;
    }
    std::printf("run %d: window painted after %.0f ms, logger data shown after %.0f ms\n", run + 1,
                figures.paintedMs, figures.dataMs);
    std::fflush(stdout);
    painted.push_back(figures.paintedMs);
    data.push_back(figures.dataMs);
    // The identification reply cannot come before the third command has left,
    // more than 300 ms after the link started.
    overFloor.push_back(figures.dataMs / 300.0);
  }
  XCloseDisplay(display);
  std::printf("start to window painted: %s\n", brisko::Describe(brisko::Summarize(painted), "ms").c_str());
  std::printf("start to logger data shown: %s\n", brisko::Describe(brisko::Summarize(data), "ms").c_str());
  std::printf("  / 300 ms pacing floor: %s\n", brisko::Describe(brisko::Summarize(overFloor), "").c_str());
  return 0;
}

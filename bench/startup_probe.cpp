// Time from starting the desktop tool to its window showing the simulator's
// data, measured from outside through the X server: the tool is started
// (settings file naming the simulator's port), its window is found by its
// process id, and its pixels are read every few milliseconds. "Painted" is
// when the window first shows more than one colour; "data shown" is when the
// rows that the identification fills reach their final look (window_frames.h
// says how that is told apart from the live position). Needs an X server (Xvfb):
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

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/distribution.h"
#include "bench/window_frames.h"

namespace brisko {
namespace {

using Clock = std::chrono::steady_clock;

int IgnoreXError(Display*, XErrorEvent*) { return 0; }  // the window may go while we read it

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

bool Capture(Display* display, Window window, WindowFrame& frame) {
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

  std::vector<WindowFrame> frames;
  Window window = 0;
  while (sinceStart() < observeSeconds * 1000) {
    std::this_thread::sleep_for(std::chrono::milliseconds(4));
    if (window == 0) {
      window = FindViewableWindowOf(display, pid, pidAtom);
      if (window == 0) continue;
    }
    WindowFrame frame;
    if (!Capture(display, window, frame)) continue;
    frame.ms = sinceStart();
    if (!frames.empty() && frames.back().width == frame.width && frames.back().pixels == frame.pixels) continue;
    frames.push_back(std::move(frame));
  }
  ::kill(pid, SIGTERM);
  int status = 0;
  ::waitpid(pid, &status, 0);

  const std::size_t firstPainted = FirstPaintedFrame(frames);
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

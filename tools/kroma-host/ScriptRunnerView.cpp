// The steps of the editor: in a frame of the host's (the headless view) or in a window on a real
// X display.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <thread>

#include "platform/vst2/opcodes.h"
#include "toolkit/gfx/Bitmap.h"
#include "toolkit/gfx/Png.h"
#include "tools/kroma-host/HostCallback.h"
#include "tools/kroma-host/ScriptRunner.h"
#include "tools/kroma-host/X11Host.h"

namespace {

HostCallback& host() {
  return HostCallback::instance();
}

}  // namespace

bool ScriptRunner::stepEditOpen(const Args&, const std::string&) {
  if (!needInstance()) return false;
  ERect* rect = nullptr;
  if (call(effEditGetRect, 0, 0, &rect, 0.f, "effEditGetRect") && rect)
    host().print("  rect top=" + std::to_string(rect->top) + " left=" + std::to_string(rect->left) +
                 " bottom=" + std::to_string(rect->bottom) +
                 " right=" + std::to_string(rect->right));
  // No window system here: the editor draws into the host's frame, and the host's user answers
  // its menus.
  mOpen->frame = VIEW_HostFrame();
  mOpen->frame.host = &mOpen->menu;
  mOpen->frame.menu = &MenuAnswer::answer;
  call(effEditOpen, 0, 0, &mOpen->frame, 0.f, "effEditOpen");
  return true;
}

bool ScriptRunner::stepEditClose(const Args&, const std::string&) {
  if (!needInstance()) return false;
  call(effEditClose, 0, 0, nullptr, 0.f, "effEditClose");
  return true;
}

bool ScriptRunner::stepIdle(const Args&, const std::string&) {
  if (!needInstance()) return false;
  call(effEditIdle, 0, 0, nullptr, 0.f, "effEditIdle");
  call(effIdle, 0, 0, nullptr, 0.f, "effIdle");
  if (mOpen->frame.tick) {
    mOpen->frame.tick(mOpen->frame.view);
    host().print("  editor timer");
  }
  return true;
}

namespace {

// Item titles separated by " > ".
std::vector<std::string> menuPath(const std::string& text) {
  std::vector<std::string> path;
  for (size_t from = 0;;) {
    const size_t to = text.find(" > ", from);
    path.push_back(text.substr(from, to == std::string::npos ? std::string::npos : to - from));
    if (to == std::string::npos) return path;
    from = to + 3;
  }
}

// How long a click's menu may take to open.
constexpr std::chrono::seconds kMenuLimit(10);

}  // namespace

bool ScriptRunner::stepEditMenu(const Args& args, const std::string& rest) {
  if (args.size() < 2 || !needInstance()) return false;
  mOpen->menu.set(menuPath(rest));
  return true;
}

// The pick waits for the menu, and no later menu can take it.
bool ScriptRunner::stepEditChoose(const Args& args, const std::string& rest) {
  if (args.size() < 4 || !needEditor()) return false;
  std::istringstream words(rest);
  int x = 0, y = 0;
  std::string titles;
  words >> x >> y >> std::ws;
  std::getline(words, titles);
  const bool right = titles.rfind("right ", 0) == 0;
  if (right) titles.erase(0, 6);
  mOpen->menu.set(menuPath(titles));
  for (int kind : {VIEW_HostFrame::kDown, VIEW_HostFrame::kUp})
    mOpen->frame.mouse(mOpen->frame.view, kind, x, y, right ? VIEW_HostFrame::kRight : 0, 0);
  const auto end = std::chrono::steady_clock::now() + kMenuLimit;
  while (mOpen->menu.waiting() && std::chrono::steady_clock::now() < end) {
    idleAll();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const bool opened = !mOpen->menu.waiting();
  mOpen->menu.forget();
  if (!opened) host().print("  no menu opened at " + args[1] + " " + args[2]);
  return reportMenus() && opened;
}

bool ScriptRunner::reportMenus() {
  std::vector<std::string> lines;
  const bool picked = mOpen->menu.report(lines);
  for (const std::string& line : lines) host().print(line);
  return picked;
}

bool ScriptRunner::needEditor() {
  if (mOpen && mOpen->frame.view) return true;
  host().print("no editor open");
  return false;
}

bool ScriptRunner::stepEditMouse(const Args& args, const std::string&) {
  static const char* const kKinds[] = {"down", "up", "drag", "double", "wheel"};
  if (args.size() < 4 || !needEditor()) return false;
  int kind = -1;
  for (int i = 0; i < 5; ++i)
    if (args[1] == kKinds[i]) kind = i;
  if (kind < 0) return false;
  int amount = 0;
  int flags = 0;
  for (size_t i = 4; i < args.size(); ++i) {
    if (args[i] == "right")
      flags |= 1;
    else
      amount = std::atoi(args[i].c_str());
  }
  mOpen->frame.mouse(mOpen->frame.view, kind, std::atoi(args[2].c_str()),
                     std::atoi(args[3].c_str()), flags, amount);
  host().print("  mouse " + args[1] + " " + args[2] + " " + args[3]);
  return reportMenus();
}

bool ScriptRunner::stepEditPixel(const Args& args, const std::string&) {
  if (args.size() < 3 || !needEditor()) return false;
  int width = 0, height = 0;
  const uint32_t* pixels = mOpen->frame.screen(mOpen->frame.view, &width, &height);
  const int x = std::atoi(args[1].c_str());
  const int y = std::atoi(args[2].c_str());
  if (x < 0 || y < 0 || x >= width || y >= height) return false;
  const uint32_t pixel = pixels[(size_t)y * width + x];
  char line[96];
  std::snprintf(line, sizeof line, "  pixel %d %d = argb %u %u %u %u", x, y, pixel & 0xff,
                pixel >> 8 & 0xff, pixel >> 16 & 0xff, pixel >> 24);
  host().print(line);
  return true;
}

bool ScriptRunner::stepEditScreen(const Args& args, const std::string&) {
  if (args.size() < 2 || !needEditor()) return false;
  int width = 0, height = 0;
  const uint32_t* pixels = mOpen->frame.screen(mOpen->frame.view, &width, &height);
  GFX_MemBitmap screen(width, height);
  for (int y = 0; y < height; ++y)
    std::memcpy(screen.getBits() + (size_t)y * screen.getRowSpan(), pixels + (size_t)y * width,
                (size_t)width * sizeof *pixels);
  const bool written = GFX_WritePNG(args[1].c_str(), &screen);
  host().print("  screen " + std::to_string(width) + "x" + std::to_string(height) +
               (written ? " written" : " not written"));
  return written;
}

// ---- A real X display ----------------------------------------------------------

bool ScriptRunner::needXWindow() {
  if (mOpen && mOpen->window) return true;
  host().print("no host window open");
  return false;
}

bool ScriptRunner::stepIfDisplay(const Args& args, const std::string& rest) {
  if (args.size() < 2) return false;
  if (X11Host::instance()) return runLine(rest);
  host().print("  left out: no X display");
  return true;
}

bool ScriptRunner::stepXOpen(const Args& args, const std::string&) {
  X11Host* x11 = X11Host::instance();
  if (!needInstance()) return false;
  if (!x11) {
    host().print("no X display");
    return false;
  }
  ERect* rect = nullptr;
  if (!call(effEditGetRect, 0, 0, &rect, 0.f, "effEditGetRect") || !rect) return false;
  if (mOpen->window) x11->closeWindow(mOpen->window);
  const int x = args.size() > 2 ? std::atoi(args[1].c_str()) : 0;
  const int y = args.size() > 2 ? std::atoi(args[2].c_str()) : 0;
  mOpen->window = x11->openWindow(x, y, rect->right - rect->left, rect->bottom - rect->top);
  call(effEditOpen, 0, 0, reinterpret_cast<void*>(mOpen->window), 0.f, "effEditOpen");
  return true;
}

// Every open instance gets its idle calls, as a host's GUI timer gives them.
bool ScriptRunner::stepXIdle(const Args& args, const std::string&) {
  X11Host* x11 = X11Host::instance();
  if (!x11 || args.size() < 2) return false;
  const auto end =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(std::atoi(args[1].c_str()));
  while (std::chrono::steady_clock::now() < end) {
    for (PluginInstance* open : openInstances()) open->dispatch(effEditIdle);
    x11->pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

bool ScriptRunner::stepXInput(const Args& args, const std::string& rest) {
  if (args.size() < 3 || !needXWindow()) return false;
  std::vector<X11Host::Action> actions;
  std::string error;
  if (!X11Host::parse(rest.substr(args[1].size()), actions, error)) {
    host().print("  " + error);
    return false;
  }
  X11Host::instance()->schedule(std::atoi(args[1].c_str()), mOpen->window, actions, mLine);
  return true;
}

// A picture not taken changes nothing the later steps meet: the script goes on.
bool ScriptRunner::stepXScreen(const Args& args, const std::string&) {
  if (args.size() < 2 || !needXWindow()) return false;
  std::string why;
  if (X11Host::instance()->screenshot(mOpen->window, args[1], why)) {
    host().print("  window written");
    return true;
  }
  host().print("  window not written: " + why);
  return failAndGoOn();
}

bool ScriptRunner::stepXClose(const Args&, const std::string&) {
  if (!needInstance() || !needXWindow()) return false;
  call(effEditClose, 0, 0, nullptr, 0.f, "effEditClose");
  X11Host::instance()->closeWindow(mOpen->window);
  mOpen->window = 0;
  return true;
}

bool ScriptRunner::stepXErrors(const Args&, const std::string&) {
  X11Host* x11 = X11Host::instance();
  host().print("x errors " + std::to_string(x11 ? x11->errors() : -1));
  return x11 != nullptr;
}

#include "X11Fixture.h"

#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "X11Screen.h"
#include "platform/view/Backend.h"
#include "platform/view/x11/X11Display.h"
#include "platform/view/x11/X11Surface.h"
#include "platform/view/x11/detail/X11View.h"
#include "tests/support/Patience.h"

// The X11 back end's services: the desktop's file panel programs, the URL opener, host windows,
// and views shown without shared memory.
#if defined(__SANITIZE_ADDRESS__)
// A surface larger than memory must see its allocation refused, as it is without the sanitizer,
// rather than end the program.
extern "C" __attribute__((visibility("default"))) const char* __asan_default_options() {
  return "allocator_may_return_null=1";
}
#endif

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

class X11ServicesTest : public X11Fixture {
 protected:
  // A program on a PATH of its own that writes its arguments, one a line, to "<name>.args" and
  // answers with output and status.
  static void program(const kroma_test::TempDir& bin, const std::string& name,
                      const std::string& output, int status = 0) {
    const std::string path = bin.file(name);
    std::ofstream(path) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << bin.file(name + ".args")
                        << "'\nprintf '" << output << "'\nexit " << status << "\n";
    ASSERT_EQ(chmod(path.c_str(), 0755), 0);
  }
  static std::vector<std::string> args(const kroma_test::TempDir& bin, const std::string& name) {
    std::ifstream in(bin.file(name + ".args"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
};

VIEW_FilePanel Panel(bool save, std::string folder, std::string name,
                     std::vector<std::string> extensions) {
  VIEW_FilePanel panel;
  panel.save = save;
  panel.folder = std::move(folder);
  panel.fileName = std::move(name);
  panel.extensions = std::move(extensions);
  return panel;
}

// The desktop's panel program is asked with the start path and the extensions; its first line is
// the answer, a failed run answers nothing. Any folder of PATH may hold it.
TEST_F(X11ServicesTest, FilePanelsAskTheDesktopsProgram) {
  kroma_test::ScopedEnv home("HOME", "/home/someone");
  const struct {
    const char* program;
    int status;
    VIEW_FilePanel panel;
    std::vector<std::string> args;
    const char* chosen;
  } cases[] = {
      {"zenity",
       0,
       Panel(false, "/data/banks", "a.syx", {"syx", "kro"}),
       {"--file-selection", "--filename=/data/banks/a.syx", "--file-filter=*.syx *.kro"},
       "/data/banks/b.syx"},
      {"zenity",
       0,
       Panel(true, "~/banks/", "", {}),
       {"--file-selection", "--filename=/home/someone/banks/", "--save", "--confirm-overwrite"},
       "/data/banks/b.syx"},
      {"zenity",
       1,
       Panel(false, "~", "x.mid", {"mid"}),
       {"--file-selection", "--filename=/home/someone/x.mid", "--file-filter=*.mid"},
       ""},
      {"kdialog",
       0,
       Panel(false, "/data", "a.syx", {"syx", "kro"}),
       {"--getopenfilename", "/data/a.syx", "*.syx *.kro"},
       "/data/banks/b.syx"},
      {"kdialog",
       0,
       Panel(true, "", "a.syx", {}),
       {"--getsavefilename", "a.syx", ""},
       "/data/banks/b.syx"},
  };
  for (const auto& c : cases) {
    kroma_test::TempDir bin;
    program(bin, c.program, "/data/banks/b.syx\\nsecond line\\n", c.status);
    const std::string path = "/nowhere::" + bin.path();
    kroma_test::ScopedEnv env("PATH", path.c_str());
    EXPECT_EQ(VIEW_RunFilePanel(c.panel), c.chosen) << c.program << " " << c.panel.folder;
    EXPECT_THAT(args(bin, c.program), ElementsAreArray(c.args))
        << c.program << " " << c.panel.folder;
  }
}

// Without a desktop program the kit's own windows ask: the plain panel for a file, titled for
// what it does and answering the file taken, and the message box with its caption, answering
// the button pressed.
TEST_F(X11ServicesTest, WithoutADesktopProgramTheKitsOwnWindowsAsk) {
  kroma_test::TempDir bin;
  kroma_test::ScopedEnv env("PATH", bin.path().c_str());
  kroma_test::TempDir folder;
  std::ofstream(folder.file("a.syx")) << "x";
  std::vector<std::string> titles;
  const auto answer = [&](std::vector<const char*> keys) {
    whenFocused([this, &titles, keys] {
      char* name = nullptr;
      XFetchName(mInput, FocusedWindow(mInput), &name);
      titles.push_back(name ? name : "");
      if (name) XFree(name);
      for (const char* k : keys) tap(k);
    });
  };
  answer({"Down", "Down", "Return"});
  EXPECT_EQ(VIEW_RunFilePanel(Panel(false, folder.path(), "", {"syx"})), folder.file("a.syx"));
  joinPlayer();
  answer({"Escape"});
  EXPECT_EQ(VIEW_RunFilePanel(Panel(true, folder.path(), "b.syx", {"syx"})), "");
  joinPlayer();
  answer({"Tab", "Return"});
  EXPECT_EQ(VIEW_MessageBox("Text", "Caption", {"Yes", "No"}), 2);
  joinPlayer();
  answer({"Return"});
  EXPECT_EQ(VIEW_MessageBox(nullptr, nullptr, {"OK"}), 1);
  joinPlayer();
  EXPECT_THAT(titles, ElementsAre("Open", "Save", "Caption", ""));
}

// A URL goes to the desktop's opener, which runs on its own; without it, or without a shell to
// start it, the call fails.
TEST_F(X11ServicesTest, URLsGoToTheDesktopsOpener) {
  kroma_test::TempDir bin;
  {
    const std::string path = bin.path() + ":/usr/bin:/bin";
    kroma_test::ScopedEnv env("PATH", path.c_str());
    program(bin, "xdg-open", "");
    EXPECT_TRUE(VIEW_OpenURL("https://example.org/a b"));
    const auto end = std::chrono::steady_clock::now() + kroma_test::kWaitCap;
    while (args(bin, "xdg-open").empty() && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_THAT(args(bin, "xdg-open"), ElementsAre("https://example.org/a b"));
    EXPECT_FALSE(VIEW_OpenURL(nullptr));
  }
  {
    // No shell to start the opener with.
    kroma_test::ScopedEnv env("PATH", bin.file("none").c_str());
    EXPECT_FALSE(VIEW_OpenURL("https://example.org"));
  }
  const std::string path = "/usr/bin:/bin:" + bin.file("none");
  kroma_test::ScopedEnv env("PATH", path.c_str());
  if (access("/usr/bin/xdg-open", X_OK) != 0) {
    EXPECT_FALSE(VIEW_OpenURL("https://example.org"));
  }
}

// A host window is resized from its corner; a window that is gone can be neither resized nor
// covered by a sub-window.
TEST_F(X11ServicesTest, HostWindowsThatAreGoneRefuseResizeAndSubWindows) {
  const Window host =
      XCreateSimpleWindow(mInput, DefaultRootWindow(mInput), 30, 40, 100, 80, 0, 0, 0);
  XMapWindow(mInput, host);
  XSync(mInput, False);
  void* handle = reinterpret_cast<void*>((uintptr_t)host);
  EXPECT_TRUE(VIEW_ResizeHostWindow(handle, 150, 90));
  const auto sized = [&](int w, int h) {
    const auto end = std::chrono::steady_clock::now() + kroma_test::kWaitCap;
    int x = 0, y = 0, width = 0, height = 0;
    do {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      WindowBox(mInput, host, &x, &y, &width, &height);
    } while ((width != w || height != h) && std::chrono::steady_clock::now() < end);
    return std::vector<int>{x, y, width, height};
  };
  EXPECT_THAT(sized(150, 90), ElementsAre(30, 40, 150, 90));
  EXPECT_FALSE(VIEW_ResizeHostWindow(handle, 0, 90));
  EXPECT_FALSE(VIEW_ResizeHostWindow(handle, 150, 0));
  EXPECT_FALSE(VIEW_ResizeHostWindow(nullptr, 150, 90));
  XDestroyWindow(mInput, host);
  XSync(mInput, False);
  EXPECT_FALSE(VIEW_ResizeHostWindow(handle, 150, 90));
  EXPECT_EQ(VIEW_OpenSubWindow(handle, 50, 50), nullptr);
}

// A sub-window opens over the middle of the host's top edge, borderless, kept above the host and
// placed where asked, shown at once; closing it destroys it, and only windows it opened.
TEST_F(X11ServicesTest, SubWindowsOpenOverTheHostAndCloseWithTheirWindow) {
  const Window host =
      XCreateSimpleWindow(mInput, DefaultRootWindow(mInput), 30, 40, 200, 80, 0, 0, 0);
  XMapWindow(mInput, host);
  XSync(mInput, False);
  void* opened = VIEW_OpenSubWindow(reinterpret_cast<void*>((uintptr_t)host), 100, 50);
  ASSERT_NE(opened, nullptr);
  const Window sub = (Window) reinterpret_cast<uintptr_t>(opened);
  int x = 0, y = 0, w = 0, h = 0;
  WindowBox(mInput, sub, &x, &y, &w, &h);
  EXPECT_THAT((std::vector<int>{x, y, w, h}), ElementsAre(80, 40, 100, 50));
  XWindowAttributes attributes{};
  ASSERT_TRUE(XGetWindowAttributes(mInput, sub, &attributes));
  EXPECT_EQ(attributes.map_state, IsViewable);
  Window over = None;
  EXPECT_TRUE(XGetTransientForHint(mInput, sub, &over));
  EXPECT_EQ(over, host);
  XSizeHints place{};
  long supplied = 0;
  ASSERT_TRUE(XGetWMNormalHints(mInput, sub, &place, &supplied));
  EXPECT_EQ(place.flags & (USPosition | PPosition), USPosition | PPosition);
  EXPECT_EQ(std::pair(place.x, place.y), std::pair(80, 40));
  const Atom motif = XInternAtom(mInput, "_MOTIF_WM_HINTS", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  ASSERT_EQ(XGetWindowProperty(mInput, sub, motif, 0, 5, False, motif, &type, &format, &count,
                               &after, &data),
            Success);
  ASSERT_EQ(count, 5u);
  const long* hints = reinterpret_cast<const long*>(data);
  EXPECT_THAT((std::vector<long>(hints, hints + 5)), ElementsAre(2, 0, 0, 0, 0))
      << "decorations: none";
  XFree(data);

  // Held as an open view would hold it: closing the connection would take the window along.
  X11Display* held = X11Display::acquire();
  ASSERT_NE(held, nullptr);
  VIEW_CloseSubWindow(reinterpret_cast<void*>((uintptr_t)host));  // not one of ours
  EXPECT_TRUE(XGetWindowAttributes(mInput, host, &attributes));
  VIEW_CloseSubWindow(opened);
  VIEW_CloseSubWindow(opened);
  XSync(mInput, False);
  bool gone = false;
  {
    auto* previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    gone = !XGetWindowAttributes(mInput, sub, &attributes);
    XSetErrorHandler(previous);
  }
  EXPECT_TRUE(gone);
  const int connection = ConnectionNumber(held->display());
  held->release();
  EXPECT_EQ(fcntl(connection, F_GETFD), -1) << "the connection closes with its last user";
  XDestroyWindow(mInput, host);
  XSync(mInput, False);
}

// The windows at the top of the screen.
unsigned TopWindows(Display* display) {
  Window root = None, parent = None, *children = nullptr;
  unsigned count = 0;
  XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
  if (children) XFree(children);
  return count;
}

// A surface whose image memory cannot hold is refused, with or without shared memory, and gives
// back its window and what it had allocated (the leak checker sees what it keeps); one resized to
// such a size says so and can be resized again.
TEST_F(X11ServicesTest, SurfacesTooLargeForMemoryAreRefusedAndGiveBackWhatTheyMade) {
  // Four bytes a pixel: far beyond any allocator, while the window itself can be made.
  constexpr int kWide = (1 << 25) + 1, kHigh = (1 << 20) + 1;
  X11Display* display = X11Display::acquire();
  ASSERT_NE(display, nullptr);
  // The suite's server runs on this machine: its shared memory is used where it has some.
  ASSERT_EQ(std::string(DisplayString(mInput)).rfind(':', 0), 0u);
  EXPECT_EQ(display->hasShm(), XShmQueryExtension(mInput) == True);
  const unsigned before = TopWindows(mInput);
  for (const bool shm : {true, false}) {
    display->setShm(shm);
    {
      X11Surface huge(display, 0, 0, 0, kWide, kHigh, ExposureMask, false);
      EXPECT_FALSE(huge.ok()) << shm;
    }
    EXPECT_EQ(TopWindows(mInput), before) << shm;
    X11Surface surface(display, 0, 0, 0, 20, 20, ExposureMask, false);
    ASSERT_TRUE(surface.ok()) << shm;
    EXPECT_EQ(surface.usesShm(), shm && display->hasShm());
    EXPECT_FALSE(surface.resize(kWide, kHigh)) << shm;
    EXPECT_FALSE(surface.usesShm());
    EXPECT_TRUE(surface.resize(30, 10)) << shm;
    EXPECT_EQ(std::pair(surface.width(), surface.height()), std::pair(30, 10));
  }
  display->setShm(true);
  display->release();
}

// A client that shows a picture of two colours: left half red, right half blue.
struct Picture : RecordingClient {
  void viewDraw(int x, int y, int w, int h) override {
    draws.push_back({x, y, w, h});
    std::vector<uint32_t> pixels((size_t)width * height);
    for (int row = 0; row < height; ++row)
      for (int col = 0; col < width; ++col)
        pixels[(size_t)row * width + col] = col < width / 2 ? 0x0000FFFFu : 0xFF0000FFu;
    view->present(pixels.data(), width, width, height);
  }
};

// Without shared memory (a remote server) the view shows the same pixels; a resize is drawn
// whole at the new size.
TEST_F(X11ServicesTest, AViewWithoutSharedMemoryShowsItsPixelsAndDrawsResizesWhole) {
  X11Display* display = X11Display::acquire();
  ASSERT_NE(display, nullptr);
  display->setShm(false);
  Picture client;
  client.width = 60, client.height = 40;
  std::unique_ptr<VIEW_X11View> view(VIEW_X11View::create(nullptr, 60, 40, 25, &client));
  ASSERT_NE(view, nullptr);
  client.view = view.get();
  int x = 0, y = 0, w = 0, h = 0;
  WindowBox(mInput, view->window(), &x, &y, &w, &h);
  X11Shot shot;
  pumpUntil(view.get(), [&] {
    shot = GrabScreen(mInput, x, y, 60, 40);
    return shot.at(0, 0) == 0xFF0000 && shot.at(59, 39) == 0x0000FF;
  });
  EXPECT_EQ(shot.at(0, 0), 0xFF0000u);
  EXPECT_EQ(shot.at(29, 39), 0xFF0000u);
  EXPECT_EQ(shot.at(30, 0), 0x0000FFu);
  EXPECT_EQ(shot.at(59, 39), 0x0000FFu);

  // Wider only: the window system exposes just the new strip, the view draws it all.
  client.width = 90, client.height = 40;
  client.draws.clear();
  ASSERT_TRUE(view->resize(90, 40));
  EXPECT_TRUE(pumpUntil(view.get(), [&] {
    for (const std::vector<int>& d : client.draws)
      if (d == std::vector<int>{0, 0, 90, 40}) return true;
    return false;
  }));
  pumpUntil(view.get(), [&] {
    shot = GrabScreen(mInput, x, y, 90, 40);
    return shot.at(89, 39) == 0x0000FF;
  });
  EXPECT_EQ(shot.at(44, 39), 0xFF0000u);
  EXPECT_EQ(shot.at(45, 0), 0x0000FFu);
  EXPECT_EQ(shot.at(89, 39), 0x0000FFu);
  view.reset();
  display->setShm(true);
  display->release();
}

}  // namespace

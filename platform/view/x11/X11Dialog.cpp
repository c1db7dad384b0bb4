#include "platform/view/x11/detail/X11Dialog.h"

#include <X11/Xatom.h>
#include <dirent.h>
#include <strings.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <sstream>

#include "platform/view/x11/X11Surface.h"
#include "platform/view/x11/detail/X11Canvas.h"
#include "platform/view/x11/detail/X11Keys.h"
#include "toolkit/gfx/Modes.h"
#include "toolkit/wsys/Dialog.h"
#include "toolkit/wsys/WsysTypes.h"

namespace {

constexpr long kDialogEvents = ExposureMask | ButtonPressMask | KeyPressMask | StructureNotifyMask;
constexpr int kMargin = 14;
constexpr int kButtonWidth = 84;
constexpr int kButtonHeight = 26;
constexpr int kRowHeight = 20;
constexpr int kListRows = 12;
constexpr Time kDoubleClickMs = 400;

struct Button {
  std::string title;
  int x = 0, y = 0;
  int width = kButtonWidth, height = kButtonHeight;
};

// A row of buttons at the foot of a window, the last at its right edge.
std::vector<Button> ButtonRow(const std::vector<std::string>& titles, int width, int height) {
  std::vector<Button> row;
  int x = width - kMargin - kButtonWidth;
  for (auto it = titles.rbegin(); it != titles.rend(); ++it, x -= kButtonWidth + 8)
    row.insert(row.begin(), Button{*it, x, height - kMargin - kButtonHeight});
  return row;
}

// A window with a body the subclass draws and buttons.
class Dialog : public X11Handler {
 public:
  // Return presses the default button, Tab moves on from it.
  Dialog(X11Display* display, const std::string& title, int width, int height,
         const std::vector<std::string>& buttons, int defaultButton)
      : Dialog(display, title, width, height, defaultButton, ButtonRow(buttons, width, height)) {}
  Dialog(X11Display* display, const std::string& title, int width, int height, int defaultButton,
         std::vector<Button> buttons)
      : mDisplay(display),
        mCanvas(std::max(width, 1), std::max(height, 1)),
        mFocus(defaultButton),
        mButtons(std::move(buttons)) {
    mSurface = std::make_unique<X11Surface>(display, 0, (display->screenWidth() - width) / 2,
                                            (display->screenHeight() - height) / 3, width, height,
                                            kDialogEvents, false);
    if (!mSurface->ok()) return;
    Display* d = display->display();
    XStoreName(d, mSurface->window(), title.c_str());
    mDeleteAtom = XInternAtom(d, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(d, mSurface->window(), &mDeleteAtom, 1);
    display->add(mSurface->window(), this);
  }
  ~Dialog() override {
    if (mSurface->ok()) mDisplay->remove(mSurface->window());
  }

  bool shown() const { return mSurface->ok(); }
  // The button pressed (1 the first), 0 when dismissed.
  int run() {
    if (!mSurface->ok()) return 0;
    XMapRaised(mDisplay->display(), mSurface->window());
    mDisplay->runModal([this] { return mDone; }, this);
    return mPressed;
  }

  void handleEvent(XEvent& event) override {
    switch (event.type) {
      case MapNotify: {
        X11ErrorTrap trap(mDisplay->display());
        XSetInputFocus(mDisplay->display(), mSurface->window(), RevertToParent, CurrentTime);
        break;
      }
      case Expose:
        redraw();
        break;
      case ButtonPress:
        click(event.xbutton);
        break;
      case KeyPress:
        key(event.xkey);
        break;
      case ClientMessage:
        if ((Atom)event.xclient.data.l[0] == mDeleteAtom) finish(0);
        break;
      default:
        break;
    }
  }

 protected:
  virtual void drawBody(X11Canvas& canvas) = 0;
  // True when the body took the key or the click.
  virtual bool bodyKey(const VIEW_Event&) { return false; }
  virtual bool bodyClick(int, int, bool) { return false; }
  // Whether a button may end the dialog now.
  virtual bool accept(int) { return true; }

  void redraw() {
    const int w = mSurface->width(), h = mSurface->height();
    mCanvas.fill(0, 0, w, h, X11Canvas::kFace);
    drawBody(mCanvas);
    for (size_t i = 0; i < mButtons.size(); ++i) {
      const Button& b = mButtons[i];
      mCanvas.fill(b.x, b.y, b.width, b.height, GFX_Pixel(255, 250, 250, 250));
      mCanvas.frame(b.x, b.y, b.width, b.height,
                    (int)i == mFocus ? X11Canvas::kHighlight : X11Canvas::kLine);
      if ((int)i == mFocus)
        mCanvas.frame(b.x + 1, b.y + 1, b.width - 2, b.height - 2, X11Canvas::kHighlight);
      mCanvas.text(b.title, b.x, b.y, b.width, b.height, X11Canvas::kText, DT_CENTER | DT_VCENTER);
    }
    mSurface->put(mCanvas.pixels(), mCanvas.span(), 0, 0, w, h);
    XFlush(mDisplay->display());
  }

  // The first answer stands: keys queued behind it (Return, then Escape) come too late.
  void finish(int pressed) {
    if (mDone || (pressed && !accept(pressed))) return;
    mPressed = pressed;
    mDone = true;
  }

  X11Display* mDisplay;
  X11Canvas mCanvas;
  int mFocus;
  std::unique_ptr<X11Surface> mSurface;
  std::vector<Button> mButtons;
  Time mLastClick = 0;

 private:
  void click(const XButtonEvent& event) {
    const bool twice = event.time - mLastClick < kDoubleClickMs;
    mLastClick = event.time;
    for (size_t i = 0; i < mButtons.size(); ++i) {
      const Button& b = mButtons[i];
      if (event.x >= b.x && event.x < b.x + b.width && event.y >= b.y && event.y < b.y + b.height) {
        finish((int)i + 1);
        return;
      }
    }
    if (bodyClick(event.x, event.y, twice)) redraw();
  }

  void key(const XKeyEvent& event) {
    const VIEW_Event pressed = X11KeyEvent(event);
    const int count = (int)mButtons.size();
    if (pressed.key == VIEW_KEY_RETURN || pressed.key == VIEW_KEY_ENTER) {
      finish(mFocus + 1);
    } else if (pressed.key == VIEW_KEY_ESCAPE) {
      finish(0);
    } else if (pressed.key == VIEW_KEY_TAB && count > 0) {
      mFocus = (mFocus + 1) % count;
      redraw();
    } else if (bodyKey(pressed)) {
      redraw();
    }
  }

  Atom mDeleteAtom = 0;
  int mPressed = 0;
  bool mDone = false;
};

// A key typed into a one-line field of a dialog; false for keys the field does not take.
bool EditKey(VIEW_TextField& field, const VIEW_Event& key) {
  if (key.key != VIEW_KEY_LEFT && key.key != VIEW_KEY_RIGHT && !VIEW_TextField::edits(key))
    return false;
  field.apply(key);
  return true;
}

// A field's box with its text and caret.
void DrawEdit(X11Canvas& canvas, const VIEW_TextField& field, bool caret) {
  canvas.fill(field.x, field.y, field.width, field.height, GFX_Pixel(255, 255, 255, 255));
  canvas.frame(field.x, field.y, field.width, field.height, X11Canvas::kLine);
  const bool selected = caret && field.selected && !field.text.empty();
  if (selected)
    canvas.fill(field.x + 4, field.y + 2, X11Canvas::textWidth(field.text), field.height - 4,
                X11Canvas::kHighlight);
  canvas.text(field.text, field.x + 4, field.y, field.width - 8, field.height,
              selected ? X11Canvas::kHighlightText : X11Canvas::kText, DT_LEFT | DT_VCENTER);
  if (!caret || selected) return;
  const int caretX = X11Canvas::textWidth(field.text.substr(0, (size_t)field.caret));
  canvas.fill(field.x + 4 + caretX, field.y + 3, 1, field.height - 6, X11Canvas::kText);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class MessageBox : public Dialog {
 public:
  MessageBox(X11Display* display, const std::string& caption, std::vector<std::string> lines,
             const std::vector<std::string>& buttons, int width, int height)
      : Dialog(display, caption, width, height, buttons, 0),
        mCaption(caption),
        mLines(std::move(lines)) {}

 private:
  void drawBody(X11Canvas& canvas) override {
    const int w = mSurface->width();
    canvas.text(mCaption, kMargin, kMargin, w - 2 * kMargin, kRowHeight, X11Canvas::kText,
                DT_LEFT | DT_VCENTER, "", 15);
    for (size_t i = 0; i < mLines.size(); ++i)
      canvas.text(mLines[i], kMargin, kMargin + (int)(i + 1) * kRowHeight + 6, w - 2 * kMargin,
                  kRowHeight, X11Canvas::kText, DT_LEFT | DT_VCENTER);
  }
  std::string mCaption;
  std::vector<std::string> mLines;
};

std::string ExpandHome(const std::string& path) {
  const char* home = std::getenv("HOME");
  if (home && (path == "~" || path.rfind("~/", 0) == 0)) return home + path.substr(1);
  return path;
}

bool HasExtension(const std::string& name, const std::vector<std::string>& extensions) {
  if (extensions.empty()) return true;
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  for (const std::string& extension : extensions)
    if (strcasecmp(name.c_str() + dot + 1, extension.c_str()) == 0) return true;
  return false;
}

class FilePanel : public Dialog {
 public:
  FilePanel(X11Display* display, const VIEW_FilePanel& panel)
      : Dialog(display, panel.save ? "Save" : "Open", 460,
               2 * kMargin + (kListRows + 3) * kRowHeight + kButtonHeight + 8,
               {"Cancel", panel.save ? "Save" : "Open"}, 1),
        mPanel(panel) {
    enter(ExpandHome(panel.folder.empty() ? "~" : panel.folder));
    mPath.text = mFolder + panel.fileName;
    mPath.caret = (int)mPath.text.size();
    mPath.selected = false;
    mPath.x = kMargin;
    mPath.y = kMargin + kListRows * kRowHeight + kRowHeight / 2;
    mPath.width = mSurface->width() - 2 * kMargin;
    mPath.height = kRowHeight + 4;
  }
  std::string chosen() const { return mPath.text; }

 private:
  void enter(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    mFolder = folder == "/" ? folder : folder + "/";
    mEntries = {"../"};
    if (DIR* dir = opendir(mFolder.c_str())) {
      std::vector<std::string> folders, files;
      while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name[0] == '.') continue;
        if (VIEW_IsFolder(mFolder + name))
          folders.push_back(name + "/");
        else if (HasExtension(name, mPanel.extensions))
          files.push_back(name);
      }
      closedir(dir);
      std::sort(folders.begin(), folders.end());
      std::sort(files.begin(), files.end());
      mEntries.insert(mEntries.end(), folders.begin(), folders.end());
      mEntries.insert(mEntries.end(), files.begin(), files.end());
    }
    mFirst = 0;
    mSelected = -1;
    mPath.text = mFolder;
    mPath.caret = (int)mPath.text.size();
  }

  void pick(int index, bool open) {
    const std::string& name = mEntries[(size_t)index];
    mSelected = index;
    if (name.back() == '/') {
      if (!open) return;
      std::string folder = mFolder;
      if (name == "../") {
        folder.pop_back();
        folder = folder.substr(0, folder.rfind('/') + 1);
        if (folder.empty()) folder = "/";
      } else {
        folder += name;
      }
      enter(folder);
      return;
    }
    mPath.text = mFolder + name;
    mPath.caret = (int)mPath.text.size();
    if (open) finish(2);
  }

  bool accept(int pressed) override {
    if (pressed != 2) return true;
    if (VIEW_IsFolder(ExpandHome(mPath.text))) {
      enter(ExpandHome(mPath.text));
      redraw();
      return false;
    }
    mPath.text = ExpandHome(mPath.text);
    if (mPath.text.empty()) return false;
    return !VIEW_WouldReplace(mPanel, mPath.text) || replaceAsked();
  }

  // Whether the musician lets the chosen file be replaced; kept, the panel takes the keys again.
  bool replaceAsked() {
    const VIEW_ReplaceQuestion question = VIEW_AskReplace(mPath.text);
    const bool replace = X11RunMessageBox(mDisplay, question.caption, question.text,
                                          question.buttons) == VIEW_ReplaceQuestion::kReplace;
    if (!replace) {
      X11ErrorTrap trap(mDisplay->display());
      XSetInputFocus(mDisplay->display(), mSurface->window(), RevertToParent, CurrentTime);
      redraw();
    }
    return replace;
  }

  void drawBody(X11Canvas& canvas) override {
    const int w = mSurface->width();
    const int listTop = kMargin, listHeight = kListRows * kRowHeight;
    canvas.fill(kMargin, listTop, w - 2 * kMargin, listHeight, GFX_Pixel(255, 255, 255, 255));
    canvas.frame(kMargin, listTop, w - 2 * kMargin, listHeight, X11Canvas::kLine);
    for (int row = 0; row < kListRows && mFirst + row < (int)mEntries.size(); ++row) {
      const int index = mFirst + row, y = listTop + row * kRowHeight;
      const bool selected = index == mSelected;
      if (selected)
        canvas.fill(kMargin + 1, y, w - 2 * kMargin - 2, kRowHeight, X11Canvas::kHighlight);
      canvas.text(mEntries[(size_t)index], kMargin + 6, y, w - 2 * kMargin - 12, kRowHeight,
                  selected ? X11Canvas::kHighlightText : X11Canvas::kText, DT_LEFT | DT_VCENTER);
    }
    DrawEdit(canvas, mPath, true);
  }

  bool bodyClick(int x, int y, bool twice) override {
    const int row = (y - kMargin) / kRowHeight;
    if (x < kMargin || y < kMargin || row >= kListRows) return false;
    const int index = mFirst + row;
    if (index >= (int)mEntries.size()) return false;
    pick(index, twice && index == mSelected);
    return true;
  }

  bool bodyKey(const VIEW_Event& key) override {
    const int count = (int)mEntries.size();
    if (key.key == VIEW_KEY_DOWN || key.key == VIEW_KEY_UP) {
      const int next = std::clamp(mSelected + (key.key == VIEW_KEY_DOWN ? 1 : -1), 0, count - 1);
      pick(next, false);
      mFirst = std::clamp(mFirst, next - kListRows + 1, next);
      return true;
    }
    return EditKey(mPath, key);
  }

  VIEW_FilePanel mPanel;
  std::string mFolder;
  std::vector<std::string> mEntries;
  int mFirst = 0;
  int mSelected = -1;
  VIEW_TextField mPath;
};

// A button's title without its mnemonic marks and the blanks after it.
std::string ButtonTitle(const char* text) {
  std::string title;
  for (const char* c = text ? text : ""; *c; ++c)
    if (*c != '&') title += *c;
  return title.substr(0, title.find_last_not_of(' ') + 1);
}

// A dialog of the window-system layer: its static, edit and button controls where the resource
// placed them. Keys go to the edit control that was clicked last (the first at the start); a
// button pressed posts its command and ends the window once the procedure has ended the dialog.
class ResourceDialog : public Dialog {
 public:
  ResourceDialog(X11Display* display, HWND dialog, const std::function<void(int)>& command)
      : Dialog(display, dialog->text.Get(), dialog->rect.right - dialog->rect.left,
               dialog->rect.bottom - dialog->rect.top, 0, {}),
        mDialog(dialog),
        mCommand(command) {
    // Children are kept topmost first: the last is the first of the resource.
    for (int i = dialog->children.GetSize() - 1; i >= 0; --i) add(dialog->children.Get(i));
    mFocus = DefaultButton();
    if (mEdit >= 0) mEdits[(size_t)mEdit].field.selected = true;  // typing replaces it
  }

 private:
  struct Control {
    HWND window;
    VIEW_TextField field;  // its place, and its text for edit controls
  };

  void add(HWND control) {
    Control placed{control, {}};
    placed.field.x = control->rect.left - mDialog->rect.left;
    placed.field.y = control->rect.top - mDialog->rect.top;
    placed.field.width = control->rect.right - control->rect.left;
    placed.field.height = control->rect.bottom - control->rect.top;
    placed.field.text = control->text.Get();
    placed.field.caret = (int)placed.field.text.size();
    placed.field.selected = false;
    const std::string kind = control->kind.Get();
    if (kind == "button") {
      const VIEW_TextField& f = placed.field;
      mButtons.push_back(Button{ButtonTitle(control->text.Get()), f.x, f.y, f.width, f.height});
      mButtonIds.push_back(control->id);
    } else if (kind == "edit") {
      if (mEdit < 0) mEdit = (int)mEdits.size();
      mEdits.push_back(placed);
    } else {
      mStatics.push_back(placed);
    }
  }

  // The OK button when there is one, else the last.
  int DefaultButton() const {
    for (size_t i = 0; i < mButtonIds.size(); ++i)
      if (mButtonIds[i] == IDOK) return (int)i;
    return std::max((int)mButtonIds.size() - 1, 0);
  }

  void drawBody(X11Canvas& canvas) override {
    for (const Control& c : mStatics)
      canvas.text(c.field.text, c.field.x, c.field.y, c.field.width, c.field.height,
                  X11Canvas::kText, DT_LEFT | DT_VCENTER);
    for (size_t i = 0; i < mEdits.size(); ++i) DrawEdit(canvas, mEdits[i].field, (int)i == mEdit);
  }

  bool bodyKey(const VIEW_Event& key) override {
    if (mEdit < 0) return false;
    Control& edit = mEdits[(size_t)mEdit];
    if (!EditKey(edit.field, key)) return false;
    edit.window->text.Set(edit.field.text.c_str());
    return true;
  }

  bool bodyClick(int x, int y, bool) override {
    for (size_t i = 0; i < mEdits.size(); ++i) {
      const VIEW_TextField& f = mEdits[i].field;
      if (x >= f.x && x < f.x + f.width && y >= f.y && y < f.y + f.height) {
        mEdit = (int)i;
        return true;
      }
    }
    return false;
  }

  bool accept(int pressed) override {
    if ((size_t)pressed > mButtonIds.size()) return true;  // no button: Return only closes
    mCommand(mButtonIds[(size_t)pressed - 1]);
    return mDialog->ended;
  }

  HWND mDialog;
  const std::function<void(int)>& mCommand;
  std::vector<int> mButtonIds;
  std::vector<Control> mEdits;
  std::vector<Control> mStatics;
  int mEdit = -1;
};

bool RunResourceDialog(HWND dialog, const std::function<void(int)>& command) {
  X11Display* display = X11Display::acquire();
  if (!display) return false;
  bool shown;
  {
    ResourceDialog window(display, dialog, command);
    shown = window.shown();
    window.run();
  }
  display->release();
  return shown;
}

// The window-system layer's dialogs show through this back end wherever it is linked.
[[maybe_unused]] const bool gDialogsShown = (WSYS_SetDialogRunner(&RunResourceDialog), true);

}  // namespace

int X11RunMessageBox(X11Display* display, const std::string& caption, const std::string& text,
                     const std::vector<std::string>& buttons) {
  std::vector<std::string> lines = Lines(text);
  int width = 320;
  for (const std::string& line : lines)
    width = std::max(width, X11Canvas::textWidth(line) + 2 * kMargin);
  width = std::min(width, display->screenWidth());
  const int height = 2 * kMargin + (int)(lines.size() + 1) * kRowHeight + 16 + kButtonHeight;
  MessageBox box(display, caption, std::move(lines), buttons, width, height);
  return box.run();
}

std::string X11RunFilePanel(X11Display* display, const VIEW_FilePanel& panel) {
  FilePanel dialog(display, panel);
  return dialog.run() == 2 ? dialog.chosen() : "";
}

#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/view/Region.h"
#include "platform/view/View.h"
#include "toolkit/plugin/editor/IDrawTypes.h"

class IControl;
class IGraphicsMac;
class IParam;
class IPopupMenu;
struct IText;

// The editor as a pane in the host's window: handlers for drawing, mouse,
// wheel, keys and deactivation, a redraw timer on the event loop, menus
// numbered from 1 whose first item refers back to their model, and a text
// entry with a key filter, offered only in composited windows.
//
// On X11 every pane is composited: the editor has an X window of its own
// whose exposures it answers region by region, so text entry is offered in
// every host.
class IGraphicsCarbon : private VIEW_Client {
 public:
  // Window: what the host handed (its window); the pane goes into the parent
  // control when one is given, else into the window.
  IGraphicsCarbon(IGraphicsMac* graphicsMac, void* window, void* parentControl, short leftOffset,
                  short topOffset);
  ~IGraphicsCarbon() override;

  // The pane, or null when it could not be made.
  VIEW_View* GetView() const { return mView.get(); }
  bool GetIsComposited() const { return mIsComposited; }
  // Whether a draw event is being handled, so that the screen can be drawn.
  bool GetDrawingContext() const { return mContext; }

  void TimerHandler();
  // The host's window (its top-left corner kept) and the pane take the new
  // size; true when the pane took it. Without a window or a pane, false and
  // nothing changes.
  bool Resize(int width, int height);
  // A menu (with its sub-menus) from a model, entered in the menu list; null
  // for an empty model.
  std::unique_ptr<VIEW_Menu> CreateMenu(IPopupMenu* menu);
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* area);
  void CreateTextEntry(IControl* control, IText* style, IRECT* area, const char* text,
                       IParam* param);
  // Closes the text entry; true hands the typed text on.
  void EndUserInput(bool commit);
  bool TextEntryOpen() const { return mTextEntryView; }

 private:
  // The event handlers; true when the event was handled.
  bool MainEventHandler(const VIEW_Event& event);
  // The key with the text it would leave in the field.
  bool TextEntryHandler(const VIEW_Event& key, const std::string& candidate);
  void DrawEvent(int x, int y, int width, int height);
  void FinishEntry(bool commit, std::string text);

  void viewTimer() override { TimerHandler(); }
  void viewDraw(int x, int y, int width, int height) override { DrawEvent(x, y, width, height); }
  bool viewEvent(const VIEW_Event& event) override { return MainEventHandler(event); }
  bool viewTextKey(const VIEW_Event& key, const std::string& candidate) override {
    return !TextEntryHandler(key, candidate);
  }
  void viewTextEnded(const std::string& text, bool committed) override {
    FinishEntry(committed, text);
  }

  IGraphicsMac* mGraphicsMac;
  bool mIsComposited = false;
  void* mWindow;
  std::unique_ptr<VIEW_View> mView;
  bool mTimer = false;
  bool mContext = false;
  bool mTextEntryView = false;
  IControl* mEdControl = nullptr;
  IParam* mEdParam = nullptr;
  int mPrevX = 0;
  int mPrevY = 0;
  short mLeftOffset;
  short mTopOffset;
  // The menu list: menus by id while a popup is up.
  std::map<int, VIEW_Menu*> mMenus;
  int mNextMenuID = 1;
};

// The bounds of a draw event's shape, or the whole view {0, 0, width, height}
// when it has none or an empty one.
IRECT GetRegionRect(const VIEW_Region* shape, int width, int height);
// Sets the content size of a host window, its top-left corner kept; false
// when that failed.
bool ResizeWindow(void* window, int width, int height);

#pragma once

#include <memory>
#include <string>

#include "platform/view/View.h"
#include "toolkit/plugin/editor/IControl.h"

class IControl;
class IGraphicsMac;
class IParam;
class IPopupMenu;
struct IRECT;
struct IText;

// A rectangle in view coordinates: origin at the bottom left, y upwards.
struct CocoaRect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;
};

// The view rectangle of an editor rectangle in an editor height high: one
// pixel wider and higher than the rectangle, as the view's redraw requests,
// menu anchors and text fields take it.
CocoaRect CocoaViewRect(const IRECT& rect, int height);

// The input filter of a text entry: a set of acceptable characters (none set:
// any), a maximum length in characters and a maximum integer value (0: no
// limit).
class CocoaFormatter_vKroma_vst {
 public:
  void setAcceptableCharacterSet(const char* set);
  void setMaximumLength(int length) { maxLength = length; }
  void setMaximumValue(int value) { maxValue = value; }
  // Whether an edit that leaves partial in the field is allowed.
  bool isPartialStringValid(const std::string& partial) const;

 private:
  bool hasCharacterSet = false;
  std::string filterCharacterSet;
  int maxLength = 0;
  int maxValue = 0;
};

// A popup menu built from an IPopupMenu, one item for each of the model's
// items (separators and sub-menus included), so that a chosen item's index is
// the model's index. Sub-menus are menus of this class built from the
// sub-menu's model.
class IGraphicsNSMenu_vKroma_vst : public VIEW_Menu {
 public:
  IGraphicsNSMenu_vKroma_vst(IPopupMenu* menu);
  IPopupMenu* AssociatedIPopupMenu() const { return mIPopupMenu; }

 private:
  IPopupMenu* mIPopupMenu;
};

// Receives the choice of a popup menu.
class IGraphicsMenuRcvr_vKroma_vst {
 public:
  VIEW_MenuChoice MenuItem() const { return nsMenuItem; }
  void OnMenuSelection(const VIEW_MenuChoice& sender) { nsMenuItem = sender; }

 private:
  VIEW_MenuChoice nsMenuItem;
};

// The editor as one view in the host's parent view: a redraw timer at the
// frame rate that invalidates what is dirty, drawing what the kit asks for,
// mouse and keys with the view's offsets and modifiers, popup menus and a
// one-line text field with its formatter.
class IGraphicsCocoa_vKroma_vst : private VIEW_Client {
 public:
  // Opens the view in the parent view (null: a window of its own) at the
  // editor's size, with its timer running. Check isOpen().
  IGraphicsCocoa_vKroma_vst(IGraphicsMac* graphics, void* parentView);
  // A view of no graphics object, without a window or timer.
  IGraphicsCocoa_vKroma_vst() { init(); }
  ~IGraphicsCocoa_vKroma_vst() override;

  // Clears the graphics object, the timer and the last mouse position.
  IGraphicsCocoa_vKroma_vst* init();
  // The view takes the keyboard, and the first click into an inactive
  // window reaches the editor.
  bool acceptsFirstResponder() const { return true; }
  bool acceptsFirstMouse() const { return true; }
  // Shown in a window: takes the keyboard and follows the pointer.
  void viewDidMoveToWindow();

  bool isOpen() const { return mView != nullptr; }
  bool isOpaque() const { return mGraphics != nullptr; }
  VIEW_View* view() const { return mView.get(); }
  IGraphicsMac* graphics() const { return mGraphics; }
  // Clears the graphics pointer; the view then neither draws nor reacts.
  void detach() { mGraphics = nullptr; }

  void onTimer();
  void drawRect(const CocoaRect& rect);
  void killTimer() { mTimer = false; }
  // Ends an open entry, then lets the graphics object close (once) and takes
  // the view out of its parent. Safe while attached: the graphics object then
  // frees the view only after this call has returned.
  void removeFromSuperview();
  // The chosen menu with its chosen index, or null.
  IPopupMenu* createIPopupMenu(IPopupMenu* menu, const CocoaRect& anchor);
  void createTextEntry(IControl* control, IParam* param, IText* style, const char* text,
                       const CocoaRect& rect);
  void controlTextDidEndEditing(const std::string& text);
  // Closes an open entry without reading it.
  void endUserInput();
  bool textEntryOpen() const { return mTextFieldView; }
  void setNeedsDisplayInRect(const CocoaRect& rect);

 private:
  void viewTimer() override { onTimer(); }
  void viewDraw(int x, int y, int width, int height) override;
  bool viewEvent(const VIEW_Event& event) override;
  void viewInWindow() override { viewDidMoveToWindow(); }
  void viewParentGone() override { removeFromSuperview(); }
  bool viewAcceptsFocus() override { return acceptsFirstResponder(); }
  bool viewAcceptsFirstMouse() override { return acceptsFirstMouse(); }
  bool viewTextKey(const VIEW_Event& key, const std::string& candidate) override;
  void viewTextEnded(const std::string& text, bool committed) override;

  void getMouseXY(const VIEW_Event& event, int* x, int* y);
  // Hands the event's position and the modifiers to call(x, y, mod).
  template <class Call>
  void forward(const VIEW_Event& event, IMouseMod mod, Call call) {
    int x, y;
    getMouseXY(event, &x, &y);
    call(x, y, &mod);
  }
  void mouseDown(const VIEW_Event& event);
  void mouseUp(const VIEW_Event& event);
  void mouseDragged(const VIEW_Event& event);
  void rightMouseDown(const VIEW_Event& event);
  void rightMouseUp(const VIEW_Event& event);
  void rightMouseDragged(const VIEW_Event& event);
  void mouseMoved(const VIEW_Event& event);
  // False when the key goes on to the host.
  bool keyDown(const VIEW_Event& event);
  void scrollWheel(const VIEW_Event& event);
  int editorHeight() const;

  std::unique_ptr<VIEW_View> mView;
  bool mTimer = false;
  bool mTextFieldView = false;
  IControl* mEdControl = nullptr;
  IParam* mEdParam = nullptr;
  int mPrevX = 0;
  int mPrevY = 0;
  IGraphicsMac* mGraphics = nullptr;
  std::unique_ptr<CocoaFormatter_vKroma_vst> mFormatter;
};

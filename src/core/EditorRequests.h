#pragma once

#include <mutex>
#include <vector>

#include "toolkit/plugin/editor/IControl.h"

class ControlLayer;

// Layer and greying changes that other threads (the job lanes, the MIDI input) ask for: layers
// are shown and hidden on the editor thread only. The requests wait here, in order, until the
// editor's timer scans the controls for redraw; this control, in the graphics object's list,
// applies them then. It draws nothing and takes no clicks.
class EditorRequests : public IControl {
 public:
  explicit EditorRequests(IPluginBase* plug) : IControl(plug, IRECT()) {}

  // Any thread.
  void requestHidden(ControlLayer* layer, bool hidden);
  void requestGrayOut(IControl* control, bool grayed);

  // Editor thread: applies every request made since the last time.
  void apply();

  bool Draw(IGraphics*) override { return true; }
  bool IsHit(int, int) override { return false; }
  bool IsDirty() override;

 private:
  struct Request {
    ControlLayer* layer;
    IControl* control;
    bool on;
  };
  std::mutex mMutex;
  std::vector<Request> mPending;
};

#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "toolkit/plugin/editor/IControl.h"

class ControlLayer;

// Layer and greying changes that other threads (the job lanes, the MIDI input) ask for: layers
// are shown and hidden on the editor thread only. The requests wait here, in order, until the
// editor's timer scans the controls for redraw; this control, in the graphics object's list,
// applies them then. It draws nothing and takes no clicks.
class EditorRequests : public IControl {
 public:
  explicit EditorRequests(IPluginBase* plug)
      : IControl(plug, IRECT()), mEditorThread(std::this_thread::get_id()) {}

  // Any thread.
  void requestHidden(ControlLayer* layer, bool hidden);
  void requestGrayOut(IControl* control, bool grayed);
  // `call` runs with the plug-in's lock held, in order with the other requests. One with the key
  // of a call still waiting replaces that call and goes last: while no editor window scans, a
  // stream of refreshes keeps one of each kind.
  void requestCall(const void* key, std::function<void()> call);

  // Whether the calling thread is the editor's: the one that last applied the requests, and
  // before the editor first scanned, the one that made this object.
  bool onEditorThread() const { return mEditorThread.load() == std::this_thread::get_id(); }

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
    const void* key;
    std::function<void()> call;
  };
  std::mutex mMutex;
  std::vector<Request> mPending;
  std::atomic<std::thread::id> mEditorThread;
};

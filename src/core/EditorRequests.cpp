#include "src/core/detail/EditorRequests.h"

#include <algorithm>

#include "toolkit/plugin/base/IPluginBase.h"
#include "toolkit/plugin/editor/ControlLayer.h"

void EditorRequests::requestHidden(ControlLayer* layer, bool hidden) {
  if (!layer) return;
  std::lock_guard<std::mutex> lock(mMutex);
  mPending.push_back({layer, nullptr, hidden, nullptr, nullptr});
}

void EditorRequests::requestGrayOut(IControl* control, bool grayed) {
  if (!control) return;
  std::lock_guard<std::mutex> lock(mMutex);
  mPending.push_back({nullptr, control, grayed, nullptr, nullptr});
}

void EditorRequests::requestCall(const void* key, std::function<void()> call) {
  std::lock_guard<std::mutex> lock(mMutex);
  if (key)
    mPending.erase(std::remove_if(mPending.begin(), mPending.end(),
                                  [key](const Request& r) { return r.key == key; }),
                   mPending.end());
  mPending.push_back({nullptr, nullptr, false, key, std::move(call)});
}

void EditorRequests::apply() {
  mEditorThread = std::this_thread::get_id();
  std::vector<Request> requests;
  {
    std::lock_guard<std::mutex> lock(mMutex);
    requests.swap(mPending);
  }
  for (const Request& request : requests) {
    if (request.layer) request.layer->Hide(request.on);
    if (request.control) request.control->GrayOut(request.on);
    if (request.call) {
      TK_MutexLock lock(GetPlug()->GetMutex());
      request.call();
    }
  }
}

bool EditorRequests::IsDirty() {
  apply();
  return false;
}

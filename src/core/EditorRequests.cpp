#include "src/core/EditorRequests.h"

#include "toolkit/plugin/editor/ControlLayer.h"

void EditorRequests::requestHidden(ControlLayer* layer, bool hidden) {
  if (!layer) return;
  std::lock_guard<std::mutex> lock(mMutex);
  mPending.push_back({layer, nullptr, hidden});
}

void EditorRequests::requestGrayOut(IControl* control, bool grayed) {
  if (!control) return;
  std::lock_guard<std::mutex> lock(mMutex);
  mPending.push_back({nullptr, control, grayed});
}

void EditorRequests::apply() {
  std::vector<Request> requests;
  {
    std::lock_guard<std::mutex> lock(mMutex);
    requests.swap(mPending);
  }
  for (const Request& request : requests) {
    if (request.layer) request.layer->Hide(request.on);
    if (request.control) request.control->GrayOut(request.on);
  }
}

bool EditorRequests::IsDirty() {
  apply();
  return false;
}

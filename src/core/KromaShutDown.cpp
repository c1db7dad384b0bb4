// The end of the plug-in's life.
#include "src/config/UIConfigManager.h"
#include "src/core/Kroma.h"
#include "src/core/detail/HostMessageWorker.h"
#include "src/core/detail/PatchManager.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/protocol/MIDIMessageManager.h"
#include "toolkit/plugin/editor/IGraphics.h"

Kroma::~Kroma() {
  shutDown();
}

void Kroma::shutDown() {
  // Nothing may arrive, be sent or run once the objects the threads use start to go.
  int off = 0;
  setExternalMIDIIn(off, nullptr);
  mRouting.mMIDIOutSet = false;
  if (mParts.mMIDIMessageManager) mParts.mMIDIMessageManager->shutDown();
  // The manager's pauses end at once now; the running host message takes the plug-in lock to end.
  if (mParts.mHostMessages) {
    TK_MutexReleased unlocked(mMutex);
    mParts.mHostMessages->stop();
  }
  mParts.mPatchManager.reset();
  mParts.mMIDIMessageManager.reset();
  // The controls point into the librarian and the configuration manager: the graphics object,
  // which owns them, goes first.
  if (mWidgets.mEditor && mGraphics != mWidgets.mEditor) delete mWidgets.mEditor;
  delete mGraphics;
  mGraphics = nullptr;
  mWidgets.mEditor = nullptr;
  mWidgets.mEditorRequests = nullptr;
  mParts.mUIConfigManager.reset();
  mParts.mPatchLibrarian.reset();
}

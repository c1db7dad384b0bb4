// The end of the plug-in's life and the services around its data folder.
#include <string>

#include "platform/datafolder/DataFolder.h"
#include "src/config/UIConfigManager.h"
#include "src/core/Kroma.h"
#include "src/core/PatchManager.h"
#include "src/core/detail/HostMessageWorker.h"
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
  mMIDIOutSet = false;
  if (mMIDIMessageManager) mMIDIMessageManager->shutDown();
  // The manager's pauses end at once now; the running host message takes the plug-in lock to end.
  if (mHostMessages) {
    TK_MutexReleased unlocked(mMutex);
    mHostMessages->stop();
  }
  mPatchManager.reset();
  mMIDIMessageManager.reset();
  // The controls point into the librarian and the configuration manager: the graphics object,
  // which owns them, goes first.
  if (mEditor && mGraphics != mEditor) delete mEditor;
  delete mGraphics;
  mGraphics = nullptr;
  mEditor = nullptr;
  mEditorRequests = nullptr;
  mUIConfigManager.reset();
  mPatchLibrarian.reset();
}

std::string Kroma::getDataFolder() {
  return DataFolder::path();
}

std::string Kroma::getPatchesFolderStr() {
  return DataFolder::patchesFolder();
}

int Kroma::getPatchesFolderLength() {
  return static_cast<int>(getPatchesFolderStr().size());
}

const char* Kroma::getPanelString(int part, std::string text) {
  mPanelString = "Part " + std::to_string(part + 1) + " " + text;
  return mPanelString.c_str();
}

void Kroma::OpenDataDirectory(bool manual) {
  if (IGraphics* editor = graphics())
    editor->OpenURL((manual ? DataFolder::userManual() : DataFolder::path()).c_str());
}

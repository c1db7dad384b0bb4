// The end of the plug-in's life and the services around its data folder.
#include <string>

#include "platform/datafolder/DataFolder.h"
#include "src/config/UIConfigManager.h"
#include "src/core/Kroma.h"
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
  mParts.mPatchManager.reset();
  mParts.mMIDIMessageManager.reset();
  // The controls point into the librarian and the configuration manager: the graphics object,
  // which owns them, goes first.
  if (mEditor && mGraphics != mEditor) delete mEditor;
  delete mGraphics;
  mGraphics = nullptr;
  mEditor = nullptr;
  mEditorRequests = nullptr;
  mParts.mUIConfigManager.reset();
  mParts.mPatchLibrarian.reset();
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
  mWidgets.mPanelString = "Part " + std::to_string(part + 1) + " " + text;
  return mWidgets.mPanelString.c_str();
}

void Kroma::OpenDataDirectory(bool manual) {
  if (IGraphics* editor = graphics())
    editor->OpenURL((manual ? DataFolder::userManual() : DataFolder::path()).c_str());
}

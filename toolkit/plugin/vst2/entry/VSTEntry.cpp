#include "toolkit/plugin/vst2/entry/VSTEntry.h"

#include <memory>

#include "toolkit/log.h"
#include "toolkit/mutex.h"

// The host's entry into the module; the only symbol it exports besides main.
extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(
    audioMasterCallback hostCallback) {
  // Every instance of the process is made under this one lock, so that two
  // host threads never construct at the same time.
  static TK_Mutex sMutex;
  TK_MutexLock lock(sMutex);
  try {
    IPluginInstanceInfo instanceInfo;
    instanceInfo.mVSTHostCallback = hostCallback;
    std::unique_ptr<IPluginVST> plug(MakePlug(instanceInfo));
    if (!plug) return nullptr;
    plug->EnsureDefaultPreset();
    AEffect* effect = plug->GetAEffect();
    if (effect->numPrograms < 1) effect->numPrograms = 1;
    plug.release();
    return effect;
  } catch (...) {
    TK_Log(nullptr, "VST2: ", "the plug-in could not be created");
    return nullptr;
  }
}

// Older hosts look for "main"; g++ refuses a C function of that name with
// another signature, so it is an alias of the entry. Test programs that call
// the entry in-process have a main of their own and leave it out.
#ifndef KROMA_ENTRY_WITHOUT_MAIN
__asm__(
    ".globl main\n"
    ".type main, @function\n"
    ".set main, VSTPluginMain\n");
#endif

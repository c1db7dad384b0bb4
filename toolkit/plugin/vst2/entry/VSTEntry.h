#pragma once

#include "toolkit/plugin/vst2/IPluginVST.h"

// Each plug-in module defines this: it makes the module's plug-in object.
// The entry function calls it under the process-wide creation lock.
IPluginVST* MakePlug(IPluginInstanceInfo instanceInfo);

// The host's entry into the module: a new instance's effect record, or null when it could not be
// made.
extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(
    audioMasterCallback hostCallback);

#pragma once

#include "toolkit/plugin/vst2/IPluginVST.h"

// Each plug-in module defines this: it makes the module's plug-in object.
// The entry function calls it under the process-wide creation lock.
IPluginVST* MakePlug(IPluginInstanceInfo instanceInfo);

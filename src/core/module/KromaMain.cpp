// The product module's half of the entry: the plug-in object it makes.
#include "src/core/Kroma.h"
#include "toolkit/plugin/vst2/entry/VSTEntry.h"

IPluginVST* MakePlug(IPluginInstanceInfo instanceInfo) {
  return new Kroma(instanceInfo);
}

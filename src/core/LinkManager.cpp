#include "src/core/detail/LinkManager.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "src/config/ControlAction.h"
#include "src/config/ParameterIds.h"
#include "src/config/UIConfigManager.h"
#include "src/core/Kroma.h"
#include "src/protocol/MIDIMessageManager.h"
#include "src/protocol/SysExFormat.h"
#include "toolkit/plugin/editor/IControl.h"

namespace {

constexpr int kFirstFilterBlock = kFilter1Cutoff;
constexpr int kFilterBlocks = (kFilter2PanAmount + partCount - kFirstFilterBlock) / partCount;
// Filter 1's block k pairs with filter 2's block k + 12.
constexpr int kTwinDistance = 12;
constexpr int kUnpaired[] = {(kFilter1Type - kFirstFilterBlock) / partCount,
                             (kFilterRouting - kFirstFilterBlock) / partCount,
                             (kFilter2Type - kFirstFilterBlock) / partCount};

// The twin of a paired filter parameter, or -1.
int filterTwin(int paramIdx) {
  if (paramIdx < kFirstFilterBlock) return -1;
  const int block = (paramIdx - kFirstFilterBlock) / partCount;
  if (block >= kFilterBlocks ||
      std::find(std::begin(kUnpaired), std::end(kUnpaired), block) != std::end(kUnpaired))
    return -1;
  return paramIdx + (block < kTwinDistance ? 1 : -1) * kTwinDistance * partCount;
}

}  // namespace

void LinkManager::controlLinker(Kroma* plug, MidiRouting& routing, const KromaParts& parts,
                                ControlAction* action, LinkInfo link, int paramIdx, int value,
                                double) {
  const int twin = filterTwin(paramIdx);
  if (twin >= 0) {
    link.linkSwitch = kFilterLinkSwitch + paramIdx % partCount;
    if (plug->getValue(link.linkSwitch) == 1.0)
      link.linked = twin;
    else
      action->linkGap = sysex::truncateValue(plug->getValue(twin)) - value;
  }
  if (link.linked < 0 || link.linkSwitch < 0 || link.linked >= plug->NParams() ||
      link.linkSwitch >= plug->NParams() || plug->getValue(link.linkSwitch) == 0.0)
    return;
  ControlAction* linked = parts.mUIConfigManager->getControlAction(link.linked);
  if (!linked) {
    TK_Log(plug->GetLog(), "",
           "linked parameter " + std::to_string(link.linked) + " has no binding");
    return;
  }

  const int distance = std::abs(action->linkGap);
  const int current = sysex::truncateValue(plug->getValue(link.linked));
  const int target = current < value   ? value - distance
                     : current > value ? value + distance
                                       : value;
  const double sent = std::clamp(target, 0, 127);

  std::atomic<bool>& hardwareSet = parts.mMIDIMessageManager->hardwareSet;
  const bool fromHardware = hardwareSet.exchange(false);
  routing.mLinkInProgress = true;
  plug->processControlAction(linked, link.linked, sent);
  routing.mLinkInProgress = false;
  const double normalized = plug->GetParam(link.linked)->GetNormalized();
  for (IControl* control : std::vector<IControl*>(linked->controls))
    control->SetValueFromPlug(normalized);
  if (fromHardware) hardwareSet = true;
}

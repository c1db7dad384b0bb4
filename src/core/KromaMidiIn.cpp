// MIDI and SysEx from the host and the synthesizer: what is dropped before the manager sees it.
#include "src/config/ControlAction.h"
#include "src/config/ParameterIds.h"
#include "src/config/UIConfigManager.h"
#include "src/core/Kroma.h"
#include "src/core/detail/HostMessageWorker.h"
#include "src/protocol/IncomingChannel.h"
#include "src/protocol/MIDIMessageManager.h"
#include "src/protocol/SysExFormat.h"
#include "toolkit/plugin/editor/ControlLayer.h"

namespace {

constexpr int kSysExFilter = 6;  // entry of the MIDI filter tables

}  // namespace

void Kroma::ProcessMidiMsg(IMidiMsg* msg, bool fromDevice) {
  if (!msg) return;
  // A program change's bank change pauses: the host's waits on the worker, and what follows it.
  if (!fromDevice && mParts.mHostMessages &&
      mParts.mHostMessages->offer(*msg, msg->StatusMsg() == IMidiMsg::kProgramChange))
    return;
  routeMidiMsg(*msg, fromDevice);
}

void Kroma::routeMidiMsg(const IMidiMsg& msg, bool fromDevice) {
  MIDIMessageManager* manager = mParts.mMIDIMessageManager.get();
  if (!manager || mSelection.mTransferInProgress || mRouting.mOutputOverflow ||
      mSelection.mMultiSendRequested)
    return;
  if ((fromDevice && mRouting.mBlockDeviceInput) || msg.StatusMsg() == IMidiMsg::kNone) return;
  const int channel = msg.Channel();
  if (channel == sysex::truncateValue(getValue(kGlobalMidiChannel)) - 1) return;
  if (fromDevice) {
    manager->ProcessMidiMsgFromDevice(&msg);
  } else {
    const int part = IncomingChannel::partOnChannel(*this, channel);
    manager->ProcessMidiMsgFromDAW(&msg, part >= 0 ? part : 0);
  }
}

void Kroma::ProcessSysEx(ISysEx* sysex, bool fromDevice) {
  if (sysex) ProcessSysEx(sysex->mData, sysex->mSize, fromDevice);
}

void Kroma::ProcessSysEx(const unsigned char* data, int length, bool fromDevice) {
  MIDIMessageManager* manager = mParts.mMIDIMessageManager.get();
  if (!manager || mRouting.mSendingSysEx || mSelection.mMultiSendRequested) return;
  if ((fromDevice ? mRouting.mHWFilterBlocked : mRouting.mDAWFilterBlocked)[kSysExFilter]) return;
  manager->ProcessSysEx(data, length, fromDevice);
  if (ControlLayer* miniMixer = layerNamed("miniMixer")) miniMixer->setControlsDirty();
  // The synthesizer may have changed what the host sees: none of it counts as sent any more.
  for (int param = 0; mParts.mUIConfigManager && param < NHostParams(); ++param)
    if (ControlAction* action = mParts.mUIConfigManager->getControlAction(param))
      action->value = -1.0;
  if (manager->dumpComplete) mRouting.mSysExReceived = true;
}

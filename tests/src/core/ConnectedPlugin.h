#pragma once

#include <cstdio>
#include <string>

#include "PluginFixture.h"
#include "platform/view/headless/Script.h"
#include "src/config/ParameterIds.h"
#include "toolkit/plugin/editor/IGraphicsMac.h"

// The plug-in connected to the synthesizer's port, as most edits meet it.
class ConnectedPlugin : public PluginFixture {
 protected:
  // Connected, past the first block's all notes off, with device id 0x11.
  Kroma* settled() {
    Kroma* plug = openConnected();
    process(plug, 64);
    setDeviceId(plug, 0x11);
    return plug;
  }
  // The id set as the Global page sets it; the Global dump that it sends, to the id in use until
  // then, has gone out.
  void setDeviceId(Kroma* plug, int id) {
    char header[16];
    std::snprintf(header, sizeof header, "F0 3E 13 %02X 14", static_cast<int>(plug->deviceId()));
    const size_t from = sentCount();
    set(plug, kGlobalSysExID, id);
    EXPECT_TRUE(eventually([this, plug, &header, from] {
      return !plug->ThreadRunning() && sent(from).find(header) != std::string::npos;
    }));
  }
  // A change as the framework hands it over; what it sent.
  std::string change(Kroma* plug, int param, double value) {
    const size_t from = sentCount();
    set(plug, param, value);
    return sent(from);
  }
  // A part's MIDI channel, stored (no Multi sent).
  static void setChannel(Kroma* plug, int part, double setting) {
    plug->setStoredValue(kMultiPartMIDICh + part, setting);
  }
  // The plug-in with its editor window open on the headless view, on the librarian's page.
  Kroma* withEditor() {
    Kroma* plug = open();
    openEditor(plug);
    set(plug, kMainTab, 1);
    return plug;
  }
  // The value stored as given, without the clamp to the parameter's range.
  static void set(Kroma* plug, int param, double value) {
    plug->GetParam(param)->Set(value);
    plug->OnParamChange(param);
  }
};

// A parameter message of part 3 as the synthesizer gets it: F0 3E 13, the device id, 20 02, the
// address and value bytes, F7.
inline std::string parameterChange(const char* device, const char* rest) {
  return std::string("F0 3E 13 ") + device + " 20 02 " + rest + " F7|";
}

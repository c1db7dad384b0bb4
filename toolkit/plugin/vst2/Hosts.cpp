#include "toolkit/plugin/vst2/Hosts.h"

#include <cctype>
#include <string>

namespace {

struct HostName {
  const char* text;
  EHost host;
};

// Tested in this order; the first substring found wins, so a product string
// that names two hosts is the earlier one.
const HostName kProductSubstrings[] = {
    {"cubase", kHostCubase},
    {"reaper", kHostReaper},
    {"nuendo", kHostNuendo},
    {"cakewalk", kHostSonar},
    {"samplitude", kHostSamplitude},
    {"fruity", kHostFL},
    {"live", kHostLive},
    {"melodyne", kHostMelodyne},
    {"vstmanlib", kHostVSTScanner},
    {"aulab", kHostAULab},
    {"garageband", kHostGarageBand},
    {"forte", kHostForte},
    {"chainer", kHostChainer},
    {"audition", kHostAudition},
    {"orion", kHostOrion},
    {"sawstudio", kHostSAWStudio},
    {"logic", kHostLogic},
    {"digital", kHostDigitalPerformer},
    {"audiomulch", kHostAudioMulch},
    {"presonus", kHostStudioOne},
    {"vst3plugintesthost", kHostVST3TestHost},
    {"protools", kHostProTools},
    {"ardour", kHostArdour},
    {"standalone", kHostStandalone},
};

const HostName kDisplayNames[] = {
    {"Reaper", kHostReaper},
    {"ProTools", kHostProTools},
    {"Cubase", kHostCubase},
    {"Nuendo", kHostNuendo},
    {"Sonar", kHostSonar},
    {"Vegas", kHostVegas},
    {"FLStudio", kHostFL},
    {"Samplitude", kHostSamplitude},
    {"Live", kHostLive},
    {"VSTScanner", kHostVSTScanner},
    {"AULab", kHostAULab},
    {"Forte", kHostForte},
    {"Chainer", kHostChainer},
    {"Audition", kHostAudition},
    {"Orion", kHostOrion},
    {"SAWStudio", kHostSAWStudio},
    {"Logic", kHostLogic},
    {"GarageBand", kHostGarageBand},
    {"DigitalPerformer", kHostDigitalPerformer},
    {"Standalone", kHostStandalone},
    {"AudioMulch", kHostAudioMulch},
    {"StudioOne", kHostStudioOne},
    {"VST3PluginTestHost", kHostVST3TestHost},
    {"Ardour", kHostArdour},
};

}  // namespace

EHost LookUpHost(const char* productString) {
  if (!productString) return kHostUnknown;
  std::string lower(productString);
  for (char& c : lower) c = (char)std::tolower((unsigned char)c);
  for (const HostName& entry : kProductSubstrings)
    if (lower.find(entry.text) != std::string::npos) return entry.host;
  return kHostUnknown;
}

void GetHostNameStr(EHost host, TK_String* out) {
  if (!out) return;
  for (const HostName& entry : kDisplayNames) {
    if (entry.host == host) {
      out->Set(entry.text);
      return;
    }
  }
  out->Set("Unknown");
}

#pragma once

#include "toolkit/plugin/base/IPluginBase.h"
#include "toolkit/tkstring.h"

// The hosts the framework tells apart by their product string; kHostUninit
// and kHostUnknown come with the plug-in base.
constexpr EHost kHostReaper = EHost(1);
constexpr EHost kHostProTools = EHost(2);
constexpr EHost kHostCubase = EHost(3);
constexpr EHost kHostNuendo = EHost(4);
constexpr EHost kHostSonar = EHost(5);
constexpr EHost kHostVegas = EHost(6);
constexpr EHost kHostFL = EHost(7);
constexpr EHost kHostSamplitude = EHost(8);
constexpr EHost kHostLive = EHost(9);
constexpr EHost kHostMelodyne = EHost(12);
constexpr EHost kHostVSTScanner = EHost(13);
constexpr EHost kHostAULab = EHost(14);
constexpr EHost kHostForte = EHost(15);
constexpr EHost kHostChainer = EHost(16);
constexpr EHost kHostAudition = EHost(17);
constexpr EHost kHostOrion = EHost(18);
constexpr EHost kHostSAWStudio = EHost(20);
constexpr EHost kHostLogic = EHost(21);
constexpr EHost kHostGarageBand = EHost(22);
constexpr EHost kHostDigitalPerformer = EHost(23);
constexpr EHost kHostStandalone = EHost(24);
constexpr EHost kHostAudioMulch = EHost(25);
constexpr EHost kHostStudioOne = EHost(26);
constexpr EHost kHostVST3TestHost = EHost(27);
constexpr EHost kHostArdour = EHost(28);

// The host named by a product string, by the first known name it contains
// (any letter case); kHostUnknown when none. A null string is unknown.
EHost LookUpHost(const char* productString);

// A display name for a host value; "Unknown" for values without one.
void GetHostNameStr(EHost host, TK_String* out);

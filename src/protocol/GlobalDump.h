#pragma once

#include "src/protocol/DumpTemplates.h"
#include "src/protocol/ParameterAccess.h"
#include "src/protocol/TransferServices.h"

// The Global dump: the synthesizer's global settings in 80 bytes, from a fixed template.
namespace global_dump {

// Where the dump carries the device id it gives the synthesizer.
inline constexpr int kNewDeviceIdOffset = 42;

// The template with the device id at byte 3, the Global parameters in their bytes and 7F at
// byte 60. No checksum travels with it: byte 78 stays 7F.
sysex::GlobalDumpBytes buildGlobalDump(const ParameterAccess& params, int deviceId);

// Sends the Global dump to `deviceId`: overlay shown, dump sent, one second's pause for the
// synthesizer to take it, overlay hidden, and last the busy flag cleared.
void sendGlobalToDevice(TransferServices& services, const ParameterAccess& params, int deviceId);

// Takes a Global dump (exactly 80 bytes, type 14) into the Global parameters and reports the
// local-control setting it carries; false, with nothing changed, for any other message.
bool parseGlobalDump(const unsigned char* data, int size, ParameterAccess& params,
                     bool& localControl);

}  // namespace global_dump

// Sending and punching without a window, for scripts and DNC set-ups:
//   tolva --send PROGRAM [MACHINE.ini]
//   tolva --punch PROGRAM OUT [MACHINE.ini]
// Both frame the program exactly as the communications window's send does,
// with the machine file's settings (the one named, else the one in use).
#pragma once

#include <ostream>
#include <string>

namespace tolva {

class MachineSettings;

// Usage text of every command-line form.
extern const char* const kCommandLineHelp;

// Sends PROGRAM through the machine file's port; returns the exit status: 0
// when the last byte has left the port's queue, 1 with the message on `err`
// when the port cannot be opened, the machine takes nothing for the "Output
// Timeout" (with XON/XOFF a held XOFF does not count) or a file cannot be
// read. `machineFile` may be empty (the settings already loaded stand).
int RunSendCommand(MachineSettings& settings, const std::string& program, const std::string& machineFile,
                   std::ostream& err);

// Writes the tape punch bytes (start character, readable header, leader,
// program with parity, end character, trailer) to OUT, without delays, with
// the machine file's tape settings; the tape is on whatever its "Output to
// tape Punch" says. Exit status as above.
int RunPunchCommand(MachineSettings& settings, const std::string& program, const std::string& out,
                    const std::string& machineFile, std::ostream& err);

}  // namespace tolva

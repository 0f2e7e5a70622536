#include "app/comm_command.h"

#include <chrono>
#include <thread>

#include "app/document.h"
#include "base/folders.h"
#include "base/program_file.h"
#include "comm/comm_port_driver.h"
#include "comm/port_settings.h"
#include "comm/program_send.h"
#include "settings/machine_settings.h"

namespace tolva {

const char* const kCommandLineHelp =
    "Usage:\n"
    "  tolva [PROGRAM]                        open the workbench (with PROGRAM loaded)\n"
    "  tolva SOURCE TARGET [MACHINE.ini]      convert SOURCE into TARGET without a window\n"
    "  tolva --send PROGRAM [MACHINE.ini]     send PROGRAM through the machine file's serial port\n"
    "                                         as the Comm window's Send does; exit 0 when the last\n"
    "                                         byte went out, 1 when the machine takes nothing for\n"
    "                                         the machine file's Output Timeout (a held XOFF is\n"
    "                                         waited for) or the port cannot be opened\n"
    "  tolva --punch PROGRAM OUT [MACHINE.ini]\n"
    "                                         write the tape punch bytes (leader, readable header,\n"
    "                                         program, trailer) to the file OUT\n"
    "  tolva --run \"OP;OP;...\" SOURCE TARGET [MACHINE.ini] [--sel START,COUNT]\n"
    "                                         load SOURCE as the conversion does, run each\n"
    "                                         operation of the menus in turn on the whole program\n"
    "                                         and write TARGET; --sel gives the highlighted block\n"
    "                                         (first line's number, number of lines) for Swap\n"
    "  tolva --list                           the operations --run knows, with their numbers\n"
    "  tolva --help                           this text\n"
    "  tolva --version                        the version\n"
    "\n"
    "The conversion loads SOURCE as the window would (a DXF drawing becomes a program for\n"
    "the machine in use), puts every line's words in the order N G M X Y Z I J K R and writes\n"
    "TARGET; MACHINE.ini names the machine file to use (it stays in use for later starts).\n"
    "Messages go to standard error; the exit status is 0 on success, 1 when the conversion\n"
    "failed, 2 when there is no display to open the workbench on.\n"
    "An OP is a menu caption, with or without its \"&\" (\"Compress\", \"Add Line Numbers\",\n"
    "\"Translate Using table from setup window\", ...) or a plot or tool window's operation\n"
    "with its values (\"Slide Up 5\", \"Spin 90\", \"Size 2.5\", \"Offset -0.125\", \"Array 3 2.5\",\n"
    "\"Array 2 30 3 20\"). --run exits 1 and writes nothing when a file fails or an\n"
    "operation refuses (an incremental program given to Super Compress), 2 when the\n"
    "command line is wrong.\n"
    "Ports 1-4 are /dev/ttyS0-3 unless the machine file's [Com Port] section names\n"
    "Device1..Device4. Machine files live in $XDG_CONFIG_HOME/tolva (~/.config/tolva);\n"
    "see tolva(1).\n";

namespace {

class MemorySink : public ByteSink {
public:
    int SendBytes(const std::uint8_t* data, int count) override {
        bytes.append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(count));
        return count;
    }
    std::string bytes;
};

class SleepingView : public SendView {
public:
    void Wait(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

bool prepare(MachineSettings& settings, const std::string& program, const std::string& machineFile,
             std::vector<std::string>& lines, std::ostream& err) {
    if (!machineFile.empty()) {
        if (!FileExists(machineFile)) {
            err << "tolva: INI File Not Found: " << machineFile << "\n";
            return false;
        }
        settings.SetMachineFile(machineFile);
        FileStatus st = settings.Ldini();
        if (!st.ok) {
            err << "tolva: " << st.message << "\n";
            return false;
        }
    }
    Document file;
    std::string warning;
    FileStatus st = LoadProgramFile(program, file, &warning);
    if (!st.ok) {
        err << "tolva: " << st.message << "\n";
        return false;
    }
    lines = std::move(file.lines);
    return true;
}

}  // namespace

int RunSendCommand(MachineSettings& settings, const std::string& program, const std::string& machineFile,
                   std::ostream& err) {
    std::vector<std::string> lines;
    if (!prepare(settings, program, machineFile, lines, err)) return 1;
    TCommPortDriver driver;
    ConfigurePort(driver, settings);
    if (!driver.Connect()) {
        err << "tolva: " << ConnectFailureText(driver) << "\n";
        return 1;
    }
    SendOptions options = SendOptionsFromSettings(settings, BaseName(program));
    options.dontTransmit = false;
    PortSink sink(driver);
    SleepingView view;
    const SendOutcome outcome = SendProgram(lines, options, sink, view);
    if (outcome != SendOutcome::Done || !driver.WaitUntilSent()) {
        err << "tolva: " << kTimeoutCaption << "\n";
        if (!driver.LastError().empty())
            err << "tolva: " << driver.LastError() << "\n";
        else
            err << "tolva: the machine took no characters for " << driver.OutputTimeout() / 1000.0 << " s\n";
        driver.Disconnect();
        return 1;
    }
    driver.Disconnect();
    return 0;
}

int RunPunchCommand(MachineSettings& settings, const std::string& program, const std::string& out,
                    const std::string& machineFile, std::ostream& err) {
    std::vector<std::string> lines;
    if (!prepare(settings, program, machineFile, lines, err)) return 1;
    SendOptions options = SendOptionsFromSettings(settings, BaseName(program));
    options.tape = true;
    options.lineDelay = options.charDelay = 0;
    MemorySink sink;
    SendView view;
    SendProgram(lines, options, sink, view);
    FileStatus st = WriteFileAtomic(out, sink.bytes);
    if (!st.ok) {
        err << "tolva: " << st.message << "\n";
        return 1;
    }
    return 0;
}

}  // namespace tolva

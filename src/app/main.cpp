// Tolva: start-up. Creates the windows in their fixed order, loads the
// machine files, and either shows the workbench or, given a source and a
// target file, converts without a window and exits with the result.
#include <QApplication>
#include <QIcon>
#include <QLineEdit>
#include <string>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <vector>

#include "base/folders.h"
#include "app/ascii_window.h"
#include "app/batch_run.h"
#include "app/comm_command.h"
#include "base/host.h"
#include "app/main_window.h"
#include "app/start_up_qt.h"
#include "base/program_editor_qt.h"
#include "comm/comm_window.h"
#include "plot/drawing_window.h"
#include "plot/plot_window.h"
#include "settings/machine_settings.h"
#include "settings/setup_window.h"
#include "tools/array_window.h"
#include "tools/offset_window.h"

namespace {

bool hasDisplay() {
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* s = std::getenv(v);
        if (s && *s) return true;
    }
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    return platform && *platform;
}

// The shipped machine files and help page: share/tolva when installed, else
// the source tree's data folder.
std::string shippedDataDir() {
    return tolva::ShippedFolder(QCoreApplication::applicationDirPath().toLocal8Bit().toStdString(), TOLVA_DATA_DIR);
}

// --help and --version answer before anything needs a display.
bool answeredQuery(int argc, char** argv, int& status) {
    if (argc < 2) return false;
    const std::string a = argv[1];
    if (a == "--version") {
        std::printf("Tolva %s\n", TOLVA_VERSION);
        status = 0;
        return true;
    }
    if (a == "--list") {
        std::fputs(tolva::OperationList().c_str(), stdout);
        status = 0;
        return true;
    }
    if (a == "--help" || a == "-h") {
        std::fputs(tolva::kCommandLineHelp, stdout);
        status = 0;
        return true;
    }
    return false;
}

// Creates the program folder and seeds it with the shipped files; a failure
// is said on standard error and the run goes on without them.
void prepareProgramFolder() {
    std::string problem;
    if (!tolva::PrepareProgramFolder(shippedDataDir(), &problem))
        std::fprintf(stderr, "tolva: %s\n", problem.c_str());
}

// Without a window the machine files' problems go to standard error. A
// run that names its own machine file does not use the remembered one, so
// that one's absence is not worth a word.
void sayStartUpProblem(const tolva::FileStatus& st, bool machineNamed) {
    if (!st.ok && !machineNamed) std::fprintf(stderr, "tolva: %s\n", st.message.c_str());
}

// --run OPS SOURCE TARGET [MACHINE] [--sel FIRST,COUNT]: whether MACHINE is there.
bool batchNamesMachine(int argc, char** argv) {
    int files = 0;
    for (int i = 2; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--sel")) {
            ++i;
            continue;
        }
        if (!std::strncmp(argv[i], "--sel=", 6)) continue;
        ++files;
    }
    return files >= 4;
}

// A batch run reports only its own messages.
void quietQt(QtMsgType type, const QMessageLogContext&, const QString& msg) {
    if (type == QtFatalMsg) std::fprintf(stderr, "tolva: %s\n", msg.toLocal8Bit().constData());
}

// --send and --punch: no window, no display needed.
int commCommand(int argc, char** argv) {
    const std::string verb = argv[1];
    const int needed = verb == "--punch" ? 4 : 3;  // with the verb and the program (and OUT)
    if (argc < needed || argc > needed + 1) {
        std::fputs(tolva::kCommandLineHelp, stderr);
        return 2;
    }
    QCoreApplication core(argc, argv);
    prepareProgramFolder();
    tolva::MachineSettings settings(tolva::ProgramFolder());
    const std::string machine = argc > needed ? argv[needed] : "";
    sayStartUpProblem(settings.StartUp(), !machine.empty());
    if (verb == "--punch") return tolva::RunPunchCommand(settings, argv[2], argv[3], machine, std::cerr);
    return tolva::RunSendCommand(settings, argv[2], machine, std::cerr);
}

// --run: the operations of the menus on a program, no window, no display.
int batchCommand(int argc, char** argv) {
    QCoreApplication core(argc, argv);
    prepareProgramFolder();
    tolva::MachineSettings settings(tolva::ProgramFolder());
    sayStartUpProblem(settings.StartUp(), batchNamesMachine(argc, argv));
    tolva::StderrHost host;
    const std::vector<std::string> args(argv + 2, argv + argc);
    const int status = tolva::RunBatchCommand(args, settings, host, tolva::ScratchFolder());
    tolva::RemoveScratchFolder();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    int status = 0;
    if (answeredQuery(argc, argv, status)) return status;
    if (argc >= 2 && (!std::strcmp(argv[1], "--send") || !std::strcmp(argv[1], "--punch")))
        return commCommand(argc, argv);
    if (argc >= 2 && !std::strcmp(argv[1], "--run")) return batchCommand(argc, argv);
    const bool batch = argc >= 3;  // a source and a target: convert and end
    if (!hasDisplay()) {
        if (!batch) {
            std::fprintf(stderr,
                         "tolva: no display to show the workbench on (DISPLAY is not set).\n"
                         "To convert without a window give a source and a target file: tolva in.nc out.nc\n");
            return 2;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (batch) qInstallMessageHandler(quietQt);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tolva");
    QApplication::setApplicationVersion(TOLVA_VERSION);
    // Ties the windows to the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName("tolva");
    QApplication::setWindowIcon(QIcon::fromTheme("tolva"));
    QStringList args = QApplication::arguments().mid(1);

    prepareProgramFolder();

    tolva::MachineSettings settings(tolva::ProgramFolder());
    TForm1 form1(settings, args);
    if (batch) form1.SetHost(std::make_unique<tolva::StderrHost>());
    TForm2 form2(settings);
    LinkPlotWindowToSettings(form2, settings);
    TForm3 form3(settings);
    // The machine files load while the setup window is created, so the
    // settings are in force before the main window is first shown.
    const tolva::FileStatus machine = form3.StartUp([&form2] { form2.FlatClick(); });
    // A conversion that names its machine file (the third argument) does
    // not use the remembered one.
    if (!machine.ok && args.size() < 3) form1.host().Message(machine.message);
    ShowRecalledSpeeds(form2, settings);
    TForm5 form5(settings);
    TForm4 form4;
    TForm7 form7(form1, settings);
    TForm8 form8(&settings);
    TForm9 form9(&settings);

    if (batch) {
        status = form1.CommandLineRun() ? 0 : 1;
    } else {
        form1.show();
        // The plot window opens beside the editor, as Default Windows places it.
        form1.DefaultWindowsClick();
        status = app.exec();
    }
    tolva::RemoveScratchFolder();
    return status;
}

// One shell command run to its end: what it wrote to standard output and how
// it ended. The oracles (rs274, pdftotext, ...) are reached through this.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace tolva::test {

struct ProcessResult {
    bool started = false;
    int exitCode = -1;  // -1 when the command did not start or was killed by a signal
    std::string output;
    bool ok() const { return started && exitCode == 0; }
};

inline ProcessResult RunProcess(const std::string& command) {
    ProcessResult r;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return r;
    r.started = true;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
    const int status = ::pclose(p);
    if (status != -1 && WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
    return r;
}

}  // namespace tolva::test

// A pseudo-terminal pair acting as the machine: the test holds the master,
// the code under test opens the slave by its name.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <string_view>

class PtyPeer {
public:
    PtyPeer() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        ::grantpt(master_);
        ::unlockpt(master_);
        slaveName_ = ::ptsname(master_);
        // Held open so the pair lives while the code under test closes and
        // opens its end again; it takes no lock.
        slave_ = ::open(slaveName_.c_str(), O_RDWR | O_NOCTTY);
    }
    ~PtyPeer() {
        ::close(slave_);
        ::close(master_);
    }
    const std::string& SlaveName() const { return slaveName_; }

    // Everything the machine received, reading until nothing more arrives
    // for `quietMs` (or `want` bytes are in).
    std::string Read(std::size_t want = SIZE_MAX, int quietMs = 200) {
        std::string got;
        char buf[65536];
        while (got.size() < want) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, quietMs) <= 0) break;
            ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0) break;
            got.append(buf, static_cast<std::size_t>(n));
        }
        return got;
    }
    // The machine goes away (a cable or adapter pulled).
    void CloseMaster() {
        ::close(master_);
        master_ = -1;
    }
    // The line settings of the port as the kernel holds them.
    termios PortTermios() const {
        termios t{};
        ::tcgetattr(slave_, &t);
        return t;
    }
    // The machine sends.
    void Write(std::string_view bytes) { (void)!::write(master_, bytes.data(), bytes.size()); }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slaveName_;
};

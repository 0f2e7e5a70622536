#include "comm/comm_port_driver.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "comm/serial_speed.h"

namespace tolva {

namespace {

using Clock = std::chrono::steady_clock;

struct SpeedEntry {
    int rate;
    speed_t constant;  // 0: no termios constant
};

constexpr SpeedEntry kSpeeds[] = {
    {110, B110},     {300, B300},     {600, B600},   {1200, B1200},   {2400, B2400},
    {4800, B4800},   {9600, B9600},   {14400, 0},    {19200, B19200}, {38400, B38400},
    {56000, 0},      {57600, B57600}, {115200, B115200},
};

std::string systemReason(int error) { return std::strerror(error); }

// Where UUCP-style lock files live; empty when no such folder is writable
// (then the device's own locks stand alone).
std::string lockFolder() {
    for (const char* dir : {"/run/lock", "/var/lock"})
        if (::access(dir, W_OK) == 0) return dir;
    return {};
}

// "LCK..ttyS0" for /dev/ttyS0; "LCK..pts_3" for /dev/pts/3.
std::string lockFileName(const std::string& device) {
    std::string real = device;
    if (char* resolved = ::realpath(device.c_str(), nullptr)) {
        real = resolved;
        std::free(resolved);
    }
    std::string rel = real.rfind("/dev/", 0) == 0 ? real.substr(5) : real.substr(real.rfind('/') + 1);
    std::replace(rel.begin(), rel.end(), '/', '_');
    return "LCK.." + rel;
}

// The process a lock file names, when it still runs; 0 otherwise. Lock files
// hold the id as ASCII (HDB) or as a binary int (old UUCP).
pid_t liveLockOwner(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return 0;
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    long pid = 0;
    if (content.size() == sizeof(int) && (content[0] < '0' || content[0] > '9') && content[0] != ' ') {
        int binary = 0;
        std::memcpy(&binary, content.data(), sizeof binary);
        pid = binary;
    } else {
        pid = std::strtol(content.c_str(), nullptr, 10);
    }
    if (pid <= 0 || pid > INT_MAX) return 0;
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM) return static_cast<pid_t>(pid);
    return 0;
}

std::string processName(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

std::string heldBy(const std::string& device, pid_t pid) {
    std::string who = "process " + std::to_string(pid);
    std::string name = processName(pid);
    if (!name.empty()) who += " (" + name + ")";
    return device + " is in use by " + who;
}

}  // namespace

int BaudRateValue(TComPortBaudRate rate) { return kSpeeds[rate].rate; }

TCommPortDriver::TCommPortDriver(std::unique_ptr<PollTimer> timer)
    : timer_(std::move(timer)), inBuf_(inBufSize_) {
    SetClock(nullptr);
}

void TCommPortDriver::SetClock(MsClock clock) {
    if (!clock)
        clock = [] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
        };
    clock_ = std::move(clock);
}

// Milliseconds the port has taken no byte, leaving out the time the machine
// held it on purpose.
class TCommPortDriver::StallClock {
public:
    explicit StallClock(TCommPortDriver& d) : d_(d), last_(d.clock_()) {}
    void Progress() {
        stalled_ = 0;
        last_ = d_.clock_();
    }
    // True once the stall has lasted longer than the output timeout.
    bool Expired() {
        const std::int64_t now = d_.clock_();
        if (!d_.heldByMachine()) stalled_ += now - last_;
        last_ = now;
        return d_.outputTimeout_ > 0 && stalled_ > d_.outputTimeout_;
    }

private:
    TCommPortDriver& d_;
    std::int64_t last_;
    std::int64_t stalled_ = 0;
};

TCommPortDriver::~TCommPortDriver() { Disconnect(); }

void TCommPortDriver::SetComPort(TComPortNumber port) {
    if (!IsConnected()) port_ = port;
}

void TCommPortDriver::reapply() {
    if (IsConnected()) ApplyPortSettings();
}

void TCommPortDriver::SetComPortSpeed(TComPortBaudRate v) { speed_ = v, reapply(); }
void TCommPortDriver::SetComPortDataBits(TComPortDataBits v) { dataBits_ = v, reapply(); }
void TCommPortDriver::SetComPortStopBits(TComPortStopBits v) { stopBits_ = v, reapply(); }
void TCommPortDriver::SetComPortParity(TComPortParity v) { parity_ = v, reapply(); }
void TCommPortDriver::SetComPortHwHandshaking(TComPortHwHandshaking v) { hw_ = v, reapply(); }
void TCommPortDriver::SetComPortSwHandshaking(TComPortSwHandshaking v) { sw_ = v, reapply(); }

void TCommPortDriver::SetComPortInBufSize(std::uint32_t bytes) {
    if (IsConnected()) return;
    inBufSize_ = std::clamp<std::uint32_t>(bytes, 1, kMaxInBufSize);
    inBuf_.assign(inBufSize_, 0);
    inBuf_.shrink_to_fit();
}

void TCommPortDriver::SetComPortPollingDelay(std::uint16_t ms) {
    if (ms == pollingDelay_) return;
    if (IsConnected() && timer_) timer_->Stop();
    pollingDelay_ = ms;
    if (IsConnected() && timer_) timer_->Start(pollingDelay_, [this] { PollReceive(); });
}

std::string TCommPortDriver::DeviceName(TComPortNumber port) const {
    if (!devices_[port].empty()) return devices_[port];
    return "/dev/ttyS" + std::to_string(static_cast<int>(port));
}

void TCommPortDriver::SetDeviceName(TComPortNumber port, std::string path) { devices_[port] = std::move(path); }

bool TCommPortDriver::Connect() {
    if (IsConnected()) return true;
    lastError_.clear();
    const std::string device = DeviceName(port_);

    // Another serial program's UUCP lock: refused before the device is touched.
    const std::string folder = lockFolder();
    std::string lockPath;
    if (!folder.empty()) {
        lockPath = folder + "/" + lockFileName(device);
        if (pid_t owner = liveLockOwner(lockPath)) {
            lastError_ = heldBy(device, owner);
            return false;
        }
    }

    int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        lastError_ = device + ": " + (e == EBUSY ? "in use by another program" : systemReason(e));
        return false;
    }
    termios probe{};
    if (::tcgetattr(fd, &probe) != 0) {
        ::close(fd);
        lastError_ = device + " is not a serial port";
        return false;
    }
    // An administrator opens a port whatever TIOCEXCL says: the flag itself
    // tells that another program holds it.
    int exclusive = 0;
    if (::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive) {
        ::close(fd);
        lastError_ = device + " is in use by another program (held exclusively)";
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        lastError_ = device + " is in use by another program";
        return false;
    }
    exclusiveSet_ = ::ioctl(fd, TIOCEXCL) == 0;

    if (!lockPath.empty()) {
        ::unlink(lockPath.c_str());  // stale: its owner no longer runs
        int lf = ::open(lockPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (lf < 0 && errno == EEXIST) {
            ::close(fd);
            lastError_ = device + " is in use by another program";
            return false;
        }
        if (lf >= 0) {
            char text[16];
            int n = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(::getpid()));
            bool written = ::write(lf, text, static_cast<size_t>(n)) == n;
            ::close(lf);
            if (written)
                lockFile_ = lockPath;
            else
                ::unlink(lockPath.c_str());
        }
    }

    fd_ = fd;
    ApplyPortSettings();
    if (timer_) timer_->Start(pollingDelay_, [this] { PollReceive(); });
    return true;
}

void TCommPortDriver::releaseLock() {
    if (lockFile_.empty()) return;
    if (liveLockOwner(lockFile_) == ::getpid()) ::unlink(lockFile_.c_str());
    lockFile_.clear();
}

void TCommPortDriver::Disconnect() {
    if (!IsConnected()) return;
    if (timer_) timer_->Stop();
    if (exclusiveSet_) ::ioctl(fd_, TIOCNXCL);
    exclusiveSet_ = false;
    ::close(fd_);  // also drops the flock
    fd_ = -1;
    releaseLock();
}

void TCommPortDriver::ApplyPortSettings() {
    if (!IsConnected()) return;
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) return;
    // Bytes pass unaltered both ways: no echo, no line editing, no CR/LF or
    // end-of-file processing. Reads return at once with what has arrived.
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;

    const SpeedEntry& speed = kSpeeds[speed_];
    ::cfsetispeed(&t, speed.constant ? speed.constant : B9600);
    ::cfsetospeed(&t, speed.constant ? speed.constant : B9600);

    t.c_cflag &= ~CSIZE;
    constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= kSizes[dataBits_];

    t.c_cflag &= ~(PARENB | PARODD | CMSPAR);
    switch (parity_) {
        case ptNONE: break;
        case ptODD: t.c_cflag |= PARENB | PARODD; break;
        case ptEVEN: t.c_cflag |= PARENB; break;
        case ptMARK: t.c_cflag |= PARENB | PARODD | CMSPAR; break;
        case ptSPACE: t.c_cflag |= PARENB | CMSPAR; break;
    }
    // termios has no 1.5 stop bits: CSTOPB gives 1.5 with 5 data bits on the
    // usual UARTs and 2 otherwise.
    if (stopBits_ == sb1BITS)
        t.c_cflag &= ~CSTOPB;
    else
        t.c_cflag |= CSTOPB;

    if (hw_ == hhRTSCTS)
        t.c_cflag |= CRTSCTS;
    else
        t.c_cflag &= ~CRTSCTS;

    // The kernel's tty layer sends XOFF and XON by its own fill marks.
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (sw_ == shXONXOFF) t.c_iflag |= IXON | IXOFF;
    t.c_cc[VSTART] = 17;
    t.c_cc[VSTOP] = 19;

    ::tcsetattr(fd_, TCSANOW, &t);
    applied_ = t;
    if (!speed.constant) SetArbitrarySpeed(fd_, speed.rate);

    // Modem lines; a pseudo-terminal has none and refuses quietly.
    int dtr = TIOCM_DTR;
    ::ioctl(fd_, dtrOnOpen_ ? TIOCMBIS : TIOCMBIC, &dtr);
    if (hw_ != hhRTSCTS) {
        int rts = TIOCM_RTS;
        ::ioctl(fd_, TIOCMBIC, &rts);
    }
    PurgeBuffers(true, true);
    // Linux sizes its queues itself: the output limit is kept by
    // OutputFreeSpace, the input size is the receive buffer's.
}

void TCommPortDriver::PurgeBuffers(bool input, bool output) {
    if (!IsConnected()) return;
    if (input && output)
        ::tcflush(fd_, TCIOFLUSH);
    else if (input)
        ::tcflush(fd_, TCIFLUSH);
    else if (output)
        ::tcflush(fd_, TCOFLUSH);
}

int TCommPortDriver::queuedBytes() const {
    if (!IsConnected()) return -1;
    int queued = 0;
    if (::ioctl(fd_, TIOCOUTQ, &queued) != 0) queued = 0;
    return queued;
}

int TCommPortDriver::OutputFreeSpace() {
    const int queued = queuedBytes();
    if (queued < 0) return -1;
    const long long room = static_cast<long long>(outBufSize_) - queued;
    return static_cast<int>(std::clamp<long long>(room, 0, INT_MAX));
}

bool TCommPortDriver::heldByMachine() {
    if (sw_ != shXONXOFF) return false;
    if (hw_ != hhRTSCTS) return true;
    // A port without modem lines (a pseudo-terminal) cannot say CTS is off.
    int lines = 0;
    if (::ioctl(fd_, TIOCMGET, &lines) != 0) return true;
    return (lines & TIOCM_CTS) != 0;
}

bool TCommPortDriver::waitForRoom(bool kernelFull) {
    if (kernelFull) {
        // The device refused bytes: sleep until it takes some again.
        pollfd pfd{fd_, POLLOUT, 0};
        ::poll(&pfd, 1, 10);
    } else {
        // Our own queue limit: bytes leave at the line's pace.
        ::poll(nullptr, 0, 2);
    }
    if (outputWait_ && !outputWait_()) return false;
    return IsConnected();
}

int TCommPortDriver::SendBytes(const void* data, int count) {
    if (!IsConnected()) return 0;
    const auto* p = static_cast<const std::uint8_t*>(data);
    int sent = 0;
    StallClock stall(*this);
    auto failed = [&] { return sent > 0 ? -sent : -1; };
    while (count > 0) {
        const int room = OutputFreeSpace();
        ssize_t n = 0;
        if (room != 0) {
            n = ::write(fd_, p, static_cast<size_t>(count));
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                // The device is gone (an adapter unplugged) or broken: no
                // wait would help.
                lastError_ = DeviceName(port_) + ": " + systemReason(errno);
                return failed();
            }
            if (n < 0) n = 0;  // full or interrupted: wait below
        }
        if (n > 0) {
            stall.Progress();
            p += n;
            count -= static_cast<int>(n);
            sent += static_cast<int>(n);
            continue;
        }
        if (stall.Expired() || !waitForRoom(room != 0)) return failed();
    }
    return sent;
}

bool TCommPortDriver::WaitUntilSent() {
    StallClock stall(*this);
    int queued = queuedBytes();
    while (queued > 0) {
        if (!waitForRoom(false)) return false;
        const int now = queuedBytes();
        if (now < queued)
            stall.Progress();
        else if (stall.Expired())
            return false;
        queued = now;
    }
    return queued == 0;
}

void TCommPortDriver::SetDtrLine(bool on) {
    if (!IsConnected()) return;
    int bit = TIOCM_DTR;
    ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit);
}

void TCommPortDriver::SetRtsLine(bool on) {
    if (!IsConnected()) return;
    int bit = TIOCM_RTS;
    ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit);
}

void TCommPortDriver::PollReceive() {
    if (!IsConnected()) return;
    const ssize_t n = ::read(fd_, inBuf_.data(), inBuf_.size());
    // A failed read (nothing there, a line error, the far side gone) is
    // tried again at the next tick.
    if (n > 0 && OnReceiveData) OnReceiveData(this, inBuf_.data(), static_cast<std::uint32_t>(n));
}

}  // namespace tolva

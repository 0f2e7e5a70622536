// The serial port layer: one port, its line settings, writes with an output
// timeout, and received bytes delivered by a poll on a timer.
//
// Written on POSIX termios. Ports 1..4 name /dev/ttyS0../dev/ttyS3 unless a
// device is given for the port (`SetDeviceName`, from the machine file's
// "Com Port" section, keys "Device1".."Device4").
//
// Exclusive use: `Connect` refuses a port another program holds. It honours
// and takes the locks the other Linux serial programs use: a UUCP lock file
// "LCK..<device>" in /run/lock (or /var/lock) holding the owner's process id,
// an advisory flock() on the open device, and TIOCEXCL, which makes further
// opens of the device fail for programs without administrator rights. An
// administrator's open succeeds regardless, so the flag is read (TIOCGEXCL)
// before the port is taken, and at `Disconnect` only a flag this driver set
// is cleared.
//
// Output stalls: a send gives up when the port has taken no byte for
// `OutputTimeout` ms (0: never). With XON/XOFF flow a machine holding XOFF
// is not stalled, it asked to wait: a drip-feeding control holds XOFF for as
// long as a long move takes. Linux keeps the XOFF state inside its tty layer
// (the character never reaches a reader), but on such a line the port
// refuses bytes for no other reason than the machine's XOFF, or a dropped CTS
// when RTS/CTS is on too; so with XON/XOFF the clock runs only while CTS is
// known to be off.
//
// Everything runs on the user-interface thread. The poll timer is a seam
// (`PollTimer`): the windows give a Qt timer; without one no poll runs and a
// caller reads with `PollReceive`.
#pragma once

#include <termios.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tolva {

enum TComPortNumber { pnCOM1, pnCOM2, pnCOM3, pnCOM4 };
enum TComPortBaudRate {
    br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200, br38400, br56000, br57600, br115200
};
enum TComPortDataBits { db5BITS, db6BITS, db7BITS, db8BITS };
enum TComPortStopBits { sb1BITS, sb1HALFBITS, sb2BITS };
enum TComPortParity { ptNONE, ptODD, ptEVEN, ptMARK, ptSPACE };
enum TComPortHwHandshaking { hhNONE, hhRTSCTS };
enum TComPortSwHandshaking { shNONE, shXONXOFF };

// The rate in bit/s a speed value stands for.
int BaudRateValue(TComPortBaudRate rate);

// A periodic timer whose ticks arrive on the user-interface thread.
class PollTimer {
public:
    virtual ~PollTimer() = default;
    virtual void Start(int periodMs, std::function<void()> tick) = 0;
    virtual void Stop() = 0;
};

class TCommPortDriver {
public:
    // Called with the bytes of one poll. `DataPtr` belongs to the driver and
    // is reused at the next poll: a handler copies what it needs.
    using TComPortReceiveDataEvent =
        std::function<void(TCommPortDriver* Sender, const std::uint8_t* DataPtr, std::uint32_t DataSize)>;

    // The largest receive buffer: the communications window's buffer setting
    // goes up to 999 K. Sizes are held in 32 bits, so 64 K and more are kept
    // as given; larger requests are cut to this.
    static constexpr std::uint32_t kMaxInBufSize = 999u * 1024u;

    explicit TCommPortDriver(std::unique_ptr<PollTimer> timer = nullptr);
    ~TCommPortDriver();
    TCommPortDriver(const TCommPortDriver&) = delete;
    TCommPortDriver& operator=(const TCommPortDriver&) = delete;

    // ---- Properties (defaults as created).
    TComPortNumber ComPort() const { return port_; }
    void SetComPort(TComPortNumber port);  // ignored while connected
    TComPortBaudRate ComPortSpeed() const { return speed_; }
    void SetComPortSpeed(TComPortBaudRate v);
    TComPortDataBits ComPortDataBits() const { return dataBits_; }
    void SetComPortDataBits(TComPortDataBits v);
    TComPortStopBits ComPortStopBits() const { return stopBits_; }
    void SetComPortStopBits(TComPortStopBits v);
    TComPortParity ComPortParity() const { return parity_; }
    void SetComPortParity(TComPortParity v);
    TComPortHwHandshaking ComPortHwHandshaking() const { return hw_; }
    void SetComPortHwHandshaking(TComPortHwHandshaking v);
    TComPortSwHandshaking ComPortSwHandshaking() const { return sw_; }
    void SetComPortSwHandshaking(TComPortSwHandshaking v);
    // Bytes; changes only while disconnected (the receive buffer is made anew).
    std::uint32_t ComPortInBufSize() const { return inBufSize_; }
    void SetComPortInBufSize(std::uint32_t bytes);
    // Bytes the output queue may hold before a send waits.
    std::uint32_t ComPortOutBufSize() const { return outBufSize_; }
    void SetComPortOutBufSize(std::uint32_t bytes) { outBufSize_ = bytes ? bytes : 1; }
    // Milliseconds between receive polls.
    std::uint16_t ComPortPollingDelay() const { return pollingDelay_; }
    void SetComPortPollingDelay(std::uint16_t ms);
    bool EnableDTROnOpen() const { return dtrOnOpen_; }
    void SetEnableDTROnOpen(bool on) { dtrOnOpen_ = on; }
    // Milliseconds a send waits for a port that takes no byte; 0 waits for
    // ever. Below 0 counts as 0.
    int OutputTimeout() const { return outputTimeout_; }
    void SetOutputTimeout(int ms) { outputTimeout_ = ms > 0 ? ms : 0; }
    TComPortReceiveDataEvent OnReceiveData;

    // The device of a port: the one set for it, else /dev/ttyS0../dev/ttyS3.
    std::string DeviceName(TComPortNumber port) const;
    void SetDeviceName(TComPortNumber port, std::string path);

    // ---- Operations.
    // True when connected afterwards. On failure LastError() tells why in
    // words (device, and the system's reason or the program holding it).
    // LastError() also tells why a send failed at once.
    bool Connect();
    void Disconnect();
    bool IsConnected() const { return fd_ >= 0; }
    const std::string& LastError() const { return lastError_; }
    void ApplyPortSettings();
    // What the last ApplyPortSettings asked of the device. A pseudo-terminal
    // keeps all of it but the character size and the parity enable, which it
    // fixes at 8 bits without parity.
    const termios& AppliedLineSettings() const { return applied_; }
    void PurgeBuffers(bool input, bool output);
    // -1 when disconnected, else the room left in the output queue (never
    // below 0).
    int OutputFreeSpace();
    // Writes `count` bytes. Returns 0 when disconnected, `count` when every
    // byte went out, and a negative number when the port took nothing for
    // more than OutputTimeout() ms (held XOFF not counted), when the output
    // wait asked to stop, or at once when the device fails (LastError() tells
    // why): minus the bytes written, or -1 when none were.
    int SendBytes(const void* data, int count);
    // Waits until every queued byte has left the port, by the same stall
    // rule as SendBytes. False on a stall, a stop or when disconnected.
    bool WaitUntilSent();
    void SetDtrLine(bool on);
    void SetRtsLine(bool on);
    // One tick of the receive poll: reads what has arrived, without waiting,
    // and hands it to OnReceiveData.
    void PollReceive();

    // Runs while a send waits for room in the output queue (about every
    // 10 ms): the window lets its events run there. Returning false ends the
    // send at once (as a timeout would, the caller knows why).
    void SetOutputWait(std::function<bool()> wait) { outputWait_ = std::move(wait); }

    // The clock of the output timeout, in milliseconds from any fixed point
    // (a steady clock unless a test gives its own).
    using MsClock = std::function<std::int64_t()>;
    void SetClock(MsClock clock);
    std::int64_t NowMs() const { return clock_(); }

private:
    class StallClock;
    void reapply();
    void releaseLock();
    // The machine asked to wait (see the header comment).
    bool heldByMachine();
    // Bytes waiting in the device's output queue, -1 when disconnected.
    int queuedBytes() const;
    // Sleeps until the port takes bytes again or a short while passes, then
    // gives the output wait its turn. False: stop now.
    bool waitForRoom(bool kernelFull);

    std::unique_ptr<PollTimer> timer_;
    TComPortNumber port_ = pnCOM2;
    TComPortBaudRate speed_ = br9600;
    TComPortDataBits dataBits_ = db8BITS;
    TComPortStopBits stopBits_ = sb1BITS;
    TComPortParity parity_ = ptNONE;
    TComPortHwHandshaking hw_ = hhNONE;
    TComPortSwHandshaking sw_ = shNONE;
    std::uint32_t inBufSize_ = 2048;
    std::uint32_t outBufSize_ = 2048;
    std::uint16_t pollingDelay_ = 50;
    bool dtrOnOpen_ = true;
    int outputTimeout_ = 4000;

    std::string devices_[4];
    int fd_ = -1;
    std::string lockFile_;  // the UUCP lock we made, removed at Disconnect
    std::string lastError_;
    std::vector<std::uint8_t> inBuf_;
    std::function<bool()> outputWait_;
    MsClock clock_;
    bool exclusiveSet_ = false;  // TIOCEXCL is ours to clear
    termios applied_{};
};

}  // namespace tolva

// The serial layer against a pseudo-terminal acting as the machine.
#include "comm/comm_port_driver.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>

#include "../support/temp_folder.h"
#include "comm/port_settings.h"
#include "pty_peer.h"
#include "settings/machine_settings.h"

namespace {

using tolva::TCommPortDriver;

// A program of `lines` G-code lines ending in CR, as a send gives them.
std::string programBytes(int lines) {
    std::string out;
    for (int i = 0; i < lines; ++i) out += "N" + std::to_string(i) + " G1 X" + std::to_string(i % 97) + ".125 Y-3.5\r";
    return out;
}

TEST(CommPortDriver, PropertiesKeepTheirDefaultsAndRules) {
    TCommPortDriver d;
    EXPECT_EQ(d.ComPort(), tolva::pnCOM2);
    EXPECT_EQ(d.ComPortSpeed(), tolva::br9600);
    EXPECT_EQ(d.ComPortDataBits(), tolva::db8BITS);
    EXPECT_EQ(d.ComPortStopBits(), tolva::sb1BITS);
    EXPECT_EQ(d.ComPortParity(), tolva::ptNONE);
    EXPECT_EQ(d.ComPortInBufSize(), 2048u);
    EXPECT_EQ(d.ComPortOutBufSize(), 2048u);
    EXPECT_EQ(d.ComPortPollingDelay(), 50);
    EXPECT_TRUE(d.EnableDTROnOpen());
    EXPECT_EQ(d.OutputTimeout(), 4000);
    EXPECT_EQ(d.DeviceName(tolva::pnCOM1), "/dev/ttyS0");
    EXPECT_EQ(d.OutputFreeSpace(), -1);
    const char byte = 'A';
    EXPECT_EQ(d.SendBytes(&byte, 1), 0);

    // Buffer sizes from 64 K up are held whole, not wrapped at 16 bits.
    d.SetComPortInBufSize(63 * 1024);
    EXPECT_EQ(d.ComPortInBufSize(), 64512u);
    d.SetComPortInBufSize(999 * 1024);
    EXPECT_EQ(d.ComPortInBufSize(), 999u * 1024u);

    PtyPeer peer;
    d.SetDeviceName(tolva::pnCOM2, peer.SlaveName());
    ASSERT_TRUE(d.Connect()) << d.LastError();
    d.SetComPort(tolva::pnCOM3);  // ignored while connected
    d.SetComPortInBufSize(100);   // likewise
    EXPECT_EQ(d.ComPort(), tolva::pnCOM2);
    EXPECT_EQ(d.ComPortInBufSize(), 999u * 1024u);
    d.Disconnect();
    d.SetComPort(tolva::pnCOM3);
    EXPECT_EQ(d.ComPort(), tolva::pnCOM3);
}

TEST(CommPortDriver, BytesGoBothWaysUnaltered) {
    PtyPeer peer;
    TCommPortDriver d;
    d.SetDeviceName(tolva::pnCOM2, peer.SlaveName());
    d.SetComPortInBufSize(7);  // a delivery is at most the buffer
    ASSERT_TRUE(d.Connect()) << d.LastError();

    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(d.SendBytes(all.data(), static_cast<int>(all.size())), 256);
    EXPECT_EQ(peer.Read(256), all);

    std::string got;
    int deliveries = 0;
    d.OnReceiveData = [&](TCommPortDriver* sender, const std::uint8_t* data, std::uint32_t size) {
        EXPECT_EQ(sender, &d);
        EXPECT_LE(size, 7u);
        got.append(reinterpret_cast<const char*>(data), size);
        ++deliveries;
    };
    peer.Write(all);
    for (int i = 0; i < 200 && got.size() < all.size(); ++i) {
        d.PollReceive();
        if (got.size() < all.size()) ::usleep(1000);
    }
    EXPECT_EQ(got, all);
    EXPECT_GE(deliveries, 256 / 7);
}

// With XON/XOFF set up, the machine's DC3 stops the output and DC1 starts
// it again, and neither reaches the program; without it they are data.
TEST(CommPortDriver, XonXoffIsFlowControlOnlyWhenSetUp) {
    for (bool xon : {false, true}) {
        PtyPeer peer;
        TCommPortDriver d;
        d.SetDeviceName(tolva::pnCOM2, peer.SlaveName());
        d.SetComPortSwHandshaking(xon ? tolva::shXONXOFF : tolva::shNONE);
        ASSERT_TRUE(d.Connect()) << d.LastError();
        std::string got;
        d.OnReceiveData = [&](TCommPortDriver*, const std::uint8_t* data, std::uint32_t size) {
            got.append(reinterpret_cast<const char*>(data), size);
        };
        peer.Write("A\x13" "B");
        for (int i = 0; i < 200 && got.find('B') == std::string::npos; ++i) {
            d.PollReceive();
            if (got.find('B') == std::string::npos) ::usleep(1000);
        }
        EXPECT_EQ(got, xon ? "AB" : "A\x13" "B") << (xon ? "XON/XOFF" : "no handshake");
        // Stopped by DC3, nothing leaves the port, and the send waits for
        // DC1 however long that is (a held XOFF is no stall); then the
        // bytes go out.
        d.SetOutputTimeout(50);
        int waits = 0;
        std::string duringHold;
        d.SetOutputWait([&] {
            if (++waits < 30)
                duringHold += peer.Read(SIZE_MAX, 0);
            else if (waits == 30)
                peer.Write("\x11");  // some 300 ms later
            return true;
        });
        EXPECT_EQ(d.SendBytes("xyz", 3), 3);
        EXPECT_EQ(duringHold + peer.Read(), "xyz");
        EXPECT_EQ(duringHold, "");
        if (xon)
            EXPECT_GE(waits, 30);
        else
            EXPECT_EQ(waits, 0);  // DC3 was data: nothing waited
    }
}

TEST(CommPortDriver, AMissingDeviceIsRefusedWithTheReason) {
    TCommPortDriver d;
    d.SetDeviceName(tolva::pnCOM2, "/dev/tolva-no-such-port");
    EXPECT_FALSE(d.Connect());
    EXPECT_FALSE(d.IsConnected());
    EXPECT_NE(d.LastError().find("No such file or directory"), std::string::npos) << d.LastError();

    d.SetDeviceName(tolva::pnCOM2, "/dev/null");  // not a serial port
    EXPECT_FALSE(d.Connect());
    EXPECT_NE(d.LastError().find("not a serial port"), std::string::npos) << d.LastError();
}

TEST(CommPortDriver, APortAnotherProcessHoldsIsRefused) {
    PtyPeer peer;
    int ready[2], release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TCommPortDriver holder;
        holder.SetDeviceName(tolva::pnCOM2, peer.SlaveName());
        char ok = holder.Connect() ? 'y' : 'n';
        (void)!::write(ready[1], &ok, 1);
        char c;
        (void)!::read(release[0], &c, 1);
        holder.Disconnect();
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');

    TCommPortDriver d;
    d.SetDeviceName(tolva::pnCOM2, peer.SlaveName());
    EXPECT_FALSE(d.Connect());
    EXPECT_FALSE(d.IsConnected());
    EXPECT_NE(d.LastError().find("in use"), std::string::npos) << d.LastError();

    (void)!::write(release[1], "x", 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(d.Connect()) << d.LastError();
    for (int fd : {ready[0], ready[1], release[0], release[1]}) ::close(fd);
}

TEST(CommPortDriver, ASendToAPeerThatStopsReadingTimesOut) {
    PtyPeer peer;  // never read
    TCommPortDriver d;
    d.SetDeviceName(tolva::pnCOM2, peer.SlaveName());
    d.SetOutputTimeout(300);
    ASSERT_TRUE(d.Connect()) << d.LastError();
    int waits = 0;
    d.SetOutputWait([&] { return ++waits > 0; });
    const std::string block(1 << 20, 'G');
    const auto t0 = std::chrono::steady_clock::now();
    const int r = d.SendBytes(block.data(), static_cast<int>(block.size()));
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_LT(r, 0);
    EXPECT_GT(-r, 0);  // some went out before the queue filled
    EXPECT_GE(ms, 300);
    EXPECT_LT(ms, 3000);
    EXPECT_GT(waits, 5);  // the window was given its turns while waiting

    // Nothing more fits: the failure is still a negative result, not 0.
    const char one = 'X';
    EXPECT_EQ(d.SendBytes(&one, 1), -1);
}

TEST(CommPortDriver, ADeviceThatGoesAwayFailsTheSendAtOnce) {
    PtyPeer peer;
    TCommPortDriver d;
    d.SetDeviceName(tolva::pnCOM2, peer.SlaveName());
    ASSERT_TRUE(d.Connect()) << d.LastError();
    peer.CloseMaster();
    const auto t0 = std::chrono::steady_clock::now();
    const char bytes[] = "G1 X1\r";
    EXPECT_EQ(d.SendBytes(bytes, 6), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(1));  // not the 4 s timeout
    EXPECT_NE(d.LastError().find("Input/output error"), std::string::npos) << d.LastError();
}

// Every line choice of a machine file, read back from the port's termios.
// The expected flags are the serial conventions, written out per choice.
TEST(CommPortDriver, TheMachineFilesLineSettingsReachThePort) {
    struct Choice {
        const char* ini;  // section and key set to 1
        tcflag_t iflagOn, iflagOff, cflagOn, cflagOff;
    };
    const Choice flows[] = {
        {"[Flow]\nNone=1\n", 0, IXON | IXOFF | IXANY, 0, CRTSCTS},
        {"[Flow]\nRts=1\n", 0, IXON | IXOFF | IXANY, CRTSCTS, 0},
        {"[Flow]\nXon=1\n", IXON | IXOFF, IXANY, 0, CRTSCTS},
        {"[Flow]\nXoncts=1\n", IXON | IXOFF, IXANY, CRTSCTS, 0},
    };
    const Choice parities[] = {
        {"[Parity]\nNone=1\n", 0, 0, 0, PARENB | PARODD | CMSPAR},
        {"[Parity]\nEven=1\n", 0, 0, PARENB, PARODD | CMSPAR},
        {"[Parity]\nOdd=1\n", 0, 0, PARENB | PARODD, CMSPAR},
    };
    const Choice data[] = {{"[Data]\n7 Bits=1\n", 0, 0, CS7, CSIZE & ~CS7}, {"[Data]\n8 Bits=1\n", 0, 0, CS8, 0}};
    // termios knows 1 or 2 stop bits; 1.5 is what a UART makes of 2 with 5 data bits.
    const Choice stops[] = {{"[Stop Bits]\nOne=1\n", 0, 0, 0, CSTOPB},
                            {"[Stop Bits]\nTwo=1\n", 0, 0, CSTOPB, 0},
                            {"[Stop Bits]\nOneHalf=1\n", 0, 0, CSTOPB, 0}};
    const std::pair<const char*, speed_t> bauds[] = {{"300", B300},   {"600", B600},   {"1200", B1200},
                                                     {"2400", B2400}, {"4800", B4800}, {"9600", B9600},
                                                     {"19200", B19200}, {"38400", B38400}};
    tolva::test::TempFolder dir("tolva-line-settings");
    PtyPeer peer;
    int n = 0;
    for (const Choice& flow : flows)
        for (const Choice& parity : parities)
            for (const Choice& bits : data)
                for (const Choice& stop : stops) {
                    const auto& [baud, speed] = bauds[n++ % std::size(bauds)];
                    const std::string ini = std::string("[Com Port]\nCom 2=1\nDevice2=") + peer.SlaveName() + "\n" +
                                            flow.ini + parity.ini + bits.ini + stop.ini + "[Baud]\n" + baud + "=1\n";
                    SCOPED_TRACE(ini);
                    tolva::MachineSettings settings(dir.path());
                    settings.SetMachineFile(dir.write("m.ini", ini));
                    ASSERT_TRUE(settings.Ldini().ok);
                    TCommPortDriver d;
                    tolva::ConfigurePort(d, settings);
                    ASSERT_TRUE(d.Connect()) << d.LastError();
                    const termios t = peer.PortTermios();
                    // A pseudo-terminal fixes the size and the parity enable
                    // itself: those two come from what the driver asked.
                    const tcflag_t fixedByPty = CSIZE | PARENB;
                    const tcflag_t cflag = (t.c_cflag & ~fixedByPty) | (d.AppliedLineSettings().c_cflag & fixedByPty);
                    for (const Choice* c : {&flow, &parity, &bits, &stop}) {
                        EXPECT_EQ(t.c_iflag & c->iflagOn, c->iflagOn);
                        EXPECT_EQ(t.c_iflag & c->iflagOff, 0u);
                        EXPECT_EQ(cflag & c->cflagOn, c->cflagOn);
                        EXPECT_EQ(cflag & c->cflagOff, 0u);
                    }
                    EXPECT_EQ(t.c_cc[VSTART], 17);
                    EXPECT_EQ(t.c_cc[VSTOP], 19);
                    EXPECT_EQ(::cfgetospeed(&t), speed);
                    EXPECT_EQ(::cfgetispeed(&t), speed);
                    // Raw: bytes pass unaltered both ways.
                    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
                    EXPECT_EQ(t.c_oflag & OPOST, 0u);
                    EXPECT_EQ(t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP), 0u);
                    EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL), CREAD | CLOCAL);
                    EXPECT_EQ(d.OutputTimeout(), 4000);  // the key is absent
                }
}

// The machine behind the pseudo-terminal and a clock the test turns: each
// time the driver waits for the port, `turn` plays the machine's part and
// moves the clock on.
struct Machine {
    PtyPeer peer;
    TCommPortDriver d;
    std::int64_t now = 0;  // ms
    std::string got;       // what the machine received

    explicit Machine(tolva::TComPortSwHandshaking flow, int timeoutMs) {
        d.SetDeviceName(tolva::pnCOM2, peer.SlaveName());
        d.SetComPortSwHandshaking(flow);
        d.SetOutputTimeout(timeoutMs);
        d.SetClock([this] { return now; });
    }
    void turn(std::function<void()> play) {
        d.SetOutputWait([play = std::move(play)] {
            play();
            return true;
        });
    }
    int send(const std::string& bytes) { return d.SendBytes(bytes.data(), static_cast<int>(bytes.size())); }
};

TEST(CommPortDriver, AMachineHoldingXoffIsWaitedForAndGetsEveryByte) {
    Machine m(tolva::shXONXOFF, 4000);
    ASSERT_TRUE(m.d.Connect()) << m.d.LastError();
    const std::string program = programBytes(5000);  // far more than the pseudo-terminal buffers
    enum { Filling, Holding, Reading } phase = Filling;
    std::int64_t heldAt = 0;
    std::size_t duringHold = 0;
    int waitsHolding = 0;
    m.turn([&] {
        switch (phase) {
            case Filling:  // its buffer is full: XOFF, then it empties the line
                m.peer.Write("\x13");
                m.got += m.peer.Read(SIZE_MAX, 50);
                heldAt = m.now;
                phase = Holding;
                break;
            case Holding:  // a long move: ten seconds of XOFF
                m.now += 500;
                ++waitsHolding;
                duringHold += m.peer.Read(SIZE_MAX, 0).size();
                if (m.now - heldAt >= 10000) {
                    m.peer.Write("\x11");
                    phase = Reading;
                }
                break;
            case Reading:
                m.now += 1000;
                m.got += m.peer.Read(SIZE_MAX, 20);
                break;
        }
    });
    EXPECT_EQ(m.send(program), static_cast<int>(program.size()));
    m.got += m.peer.Read(program.size() - m.got.size());
    EXPECT_EQ(phase, Reading);
    EXPECT_EQ(waitsHolding, 20);
    EXPECT_EQ(duringHold, 0u) << "bytes went out while the machine held XOFF";
    EXPECT_TRUE(m.got == program) << m.got.size() << " of " << program.size() << " bytes arrived";
}

TEST(CommPortDriver, AStallEndsTheSendAfterTheOutputTimeoutWhileProgressRestartsIt) {
    const std::string program = programBytes(5000);
    {
        SCOPED_TRACE("a machine that stops reading, without XOFF");
        Machine m(tolva::shNONE, 4000);
        ASSERT_TRUE(m.d.Connect());
        m.turn([&] { m.now += 250; });
        const int r = m.send(program);
        EXPECT_LT(r, 0);
        EXPECT_GT(-r, 0);  // it took some before it stopped
        EXPECT_GT(m.now, 4000);
        EXPECT_LE(m.now, 4500);  // given up as soon as the timeout passed
    }
    {
        SCOPED_TRACE("a slow machine: every wait 3 s, yet it keeps taking bytes");
        Machine m(tolva::shNONE, 4000);
        ASSERT_TRUE(m.d.Connect());
        m.turn([&] {
            m.now += 3000;
            m.got += m.peer.Read(SIZE_MAX, 20);
        });
        EXPECT_EQ(m.send(program), static_cast<int>(program.size()));
        m.got += m.peer.Read(program.size() - m.got.size());
        EXPECT_TRUE(m.got == program);
        EXPECT_GT(m.now, 5 * 4000);  // the whole send took many timeouts' worth
    }
    {
        SCOPED_TRACE("Output Timeout 0: an hour without a byte taken, then it reads");
        Machine m(tolva::shNONE, 0);
        ASSERT_TRUE(m.d.Connect());
        m.turn([&] {
            m.now += 60000;
            if (m.now > 3600000) m.got += m.peer.Read(SIZE_MAX, 20);
        });
        EXPECT_EQ(m.send(program), static_cast<int>(program.size()));
        m.got += m.peer.Read(program.size() - m.got.size());
        EXPECT_TRUE(m.got == program);
        EXPECT_GT(m.now, 3600000);
    }
}

TEST(CommPortDriver, AnExclusiveHolderIsRefusedEvenForAnAdministratorAndKeepsItsFlag) {
    PtyPeer peer;
    auto exclusive = [](int fd) {
        int on = -1;
        ::ioctl(fd, TIOCGEXCL, &on);
        return on;
    };
    // Another program's exclusive open. Tests may run as root, whose open of
    // such a port succeeds: the refusal must not rest on the open failing.
    const int other = ::open(peer.SlaveName().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::ioctl(other, TIOCEXCL), 0);
    TCommPortDriver d;
    d.SetDeviceName(tolva::pnCOM2, peer.SlaveName());
    EXPECT_FALSE(d.Connect());
    EXPECT_NE(d.LastError().find("in use by another program"), std::string::npos) << d.LastError();
    d.Disconnect();
    EXPECT_EQ(exclusive(other), 1);  // the other program's flag stays

    ::ioctl(other, TIOCNXCL);
    ASSERT_TRUE(d.Connect()) << d.LastError();
    EXPECT_EQ(exclusive(other), 1);  // ours now
    d.Disconnect();
    EXPECT_EQ(exclusive(other), 0);  // and cleared with our disconnect
    ::close(other);
}

}  // namespace

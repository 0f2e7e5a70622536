// The serial layer against a pseudo-terminal acting as the machine.
#include "comm/comm_port_driver.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "pty_peer.h"

namespace {

using tolva::TCommPortDriver;

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
        // Stopped by DC3, nothing leaves the port (the send times out);
        // after DC1 the bytes go out.
        d.SetOutputTimeout(50);
        const int sent = d.SendBytes("xyz", 3);
        const std::string arrived = peer.Read(3, 50);
        EXPECT_EQ(arrived, xon ? "" : "xyz") << "sent " << sent;
        if (!xon) continue;
        peer.Write("\x11");
        d.SetOutputTimeout(4000);
        EXPECT_EQ(d.SendBytes("!", 1), 1);
        const std::string after = peer.Read();
        EXPECT_FALSE(after.empty());
        EXPECT_EQ(after.back(), '!') << after;
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

}  // namespace

// Sending a program to a machine controller or a tape punch: framing,
// delays, translation, blank stripping, the file-name line and the tape's
// leader, readable header, parity and trailer.
//
// The bytes go to a `ByteSink` (the serial port, or a file for a punch
// image); what a window shows while sending goes to a `SendView`.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "comm/comm_port_driver.h"
#include "comm/tape_punch.h"

namespace tolva {

class LabelTable;
class MachineSettings;

struct SendOptions {
    int fileStart = -1;  // start character code, -1: none
    int fileEnd = -1;    // end character code, -1: none
    bool crlf = false;   // line end CR LF, else CR
    int lineDelay = 0;   // ms after each line
    int charDelay = 0;   // ms after each byte
    bool transFile = false;     // first line replaced by "(" + name + ")"
    std::string caption;        // the document's name, for that line and the readable header
    const LabelTable* translate = nullptr;  // rows 29..69 applied when set
    bool stripSpaces = false;
    bool dontTransmit = false;  // nothing reaches the port; the listing is shown
    bool tape = false;
    TapeParity parity = TapeParity::None;
    bool readable = false;
    int headerLen = 0;   // leader and trailer frames
    int headerChar = 0;  // the leader and trailer frame
};

// The options as the machine settings give them now. `labels` must outlive
// the send when translation is on.
SendOptions SendOptionsFromSettings(const MachineSettings& settings, std::string caption);

// The file-name line: "(" + the name without blanks, "-", "_" and "." cut to
// 8 characters + ")".
std::string FileNameLine(std::string_view caption);

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Writes `count` bytes; a result below 0 is a transmit failure (timeout).
    virtual int SendBytes(const std::uint8_t* data, int count) = 0;
};

// The serial port as a sink.
class PortSink : public ByteSink {
public:
    explicit PortSink(TCommPortDriver& driver) : driver_(driver) {}
    int SendBytes(const std::uint8_t* data, int count) override { return driver_.SendBytes(data, count); }

private:
    TCommPortDriver& driver_;
};

class SendView {
public:
    virtual ~SendView() = default;
    // "Dont Transmit": a line of the listing (start text, lines, end text).
    virtual void ListLine(const std::string& text) {}
    // The line now going out (`index` 0-based, the text as in the editor).
    virtual void Progress(int index, const std::string& text) {}
    // The first `count` program lines have been taken by the port whole.
    virtual void LinesSent(int count) {}
    // A punched frame, drawn on the tape picture.
    virtual void DrawTape(std::uint8_t frame) {}
    // Waits `ms` > 0 milliseconds, letting the window's events run.
    virtual void Wait(int ms) {}
    // The user asked to stop: the send ends at the next line end.
    virtual bool Stopped() { return false; }
};

enum class SendOutcome { Done, TimedOut, Stopped };

// Sends `lines`. Every line goes out whole with its line end, whatever its
// length. With even or odd tape parity every data byte carries it (text,
// line ends, start and end characters); leader, trailer and header frames
// are punched as they are. Bytes are handed to `sink` whole lines at a time
// when there is no character delay, one at a time otherwise. A stop is
// obeyed at line ends: unless the sink fails, the bytes handed over end with
// a whole line. The views' calls come from the thread that runs the send.
SendOutcome SendProgram(const std::vector<std::string>& lines, const SendOptions& options, ByteSink& sink,
                        SendView& view);

}  // namespace tolva

// What the core asks of the user interface. Windows implement it with Qt,
// tests record it, the command-line conversion prints to standard error.
#pragma once

#include <string>
#include <vector>

namespace tolva {

class Host {
public:
    virtual ~Host() = default;
    // An information or error box with an OK button, with the system's text.
    virtual void Message(const std::string& text) = 0;
    // A warning box with Yes and No; true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
    virtual void Beep() {}
    // Progress of a long operation, 0..1000; -1 hides the gauge.
    virtual void Progress(int permille) {}
    // Let pending window events run (keeps the window alive in long loops).
    virtual void ProcessEvents() {}
    // One line of information after an operation, no answer needed: the
    // window's status bar, standard error in a batch run.
    virtual void Status(const std::string& text) {}
};

// A host that answers every question with a fixed reply and keeps the last
// message; used where nobody is there to ask (batch runs) and by tests.
class RecordingHost : public Host {
public:
    explicit RecordingHost(bool answer = false) : answer_(answer) {}
    void Message(const std::string& text) override { messages.push_back(text); }
    bool AskYesNo(const std::string& text) override {
        questions.push_back(text);
        return answer_;
    }
    void Beep() override { ++beeps; }
    void Status(const std::string& text) override { statuses.push_back(text); }
    std::vector<std::string> messages, questions, statuses;
    int beeps = 0;

private:
    bool answer_;
};

// Batch runs: messages go to standard error, questions are answered No
// (nothing is overwritten or discarded without a user to confirm it).
class StderrHost : public Host {
public:
    void Message(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    void Status(const std::string& text) override;
    int messages = 0;
};

}  // namespace tolva

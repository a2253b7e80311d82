// The transmitter simulator as a child process on a pseudo-terminal: the tests point a link (or
// the program) at its device and read back, frame by frame, what reached the transmitter.
#pragma once

#include <QProcess>
#include <QString>
#include <vector>

namespace lumetra::test {

struct SimFrame {
    QString command;  // "SendSCOM", "SendAudioCom", "SendPower", "ClosePower", ...
    QString text;     // "channels off: all", "outlets on: 1, 3", ...
    bool valid = false;
    qint64 receivedAtMs = 0;  // wall clock, ms since the epoch, when the test read the line
};

class CSimulator {
public:
    CSimulator();
    ~CSimulator();

    // Starts the simulator and reads its device path; false when it does not come up.
    bool Start();
    const QString& Device() const { return m_device; }

    // Waits until a frame of `command` whose text contains `text` arrived (also one that arrived
    // earlier and was not taken yet), takes it and the frames before it. False on time-out.
    bool WaitForFrame(const QString& command, const QString& text, int timeoutMs, SimFrame* found = nullptr);
    // Every frame read so far that was not taken by WaitForFrame.
    const std::vector<SimFrame>& Pending();

private:
    void ReadLines();

    QProcess m_process;
    QString m_device;
    std::vector<SimFrame> m_pending;
};

}  // namespace lumetra::test

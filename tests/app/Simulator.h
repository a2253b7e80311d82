// The transmitter simulator as a child process on a pseudo-terminal: the tests point a link (or
// the program) at its device and read back, frame by frame, what reached the transmitter.
#pragma once

#include <QDateTime>
#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <stdexcept>
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
    // Starts the simulator and reads its device path (the first line, plain, in every mode).
    CSimulator() {
        m_process.start(QStringLiteral(LUMETRA_TXSIM_PATH), {QStringLiteral("--json")});
        QDeadlineTimer deadline(5000);
        while (m_process.waitForStarted(5000) && !m_process.canReadLine() && !deadline.hasExpired())
            m_process.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
        m_device = QString::fromLocal8Bit(m_process.readLine()).trimmed();
        if (!m_device.startsWith(QLatin1Char('/'))) throw std::runtime_error("the simulator did not start");
    }
    ~CSimulator() {
        m_process.write("quit\n");
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(2000)) m_process.kill();
        m_process.waitForFinished(2000);
    }
    const QString& Device() const { return m_device; }

    // Waits until a valid frame of `command` whose text contains `text` arrived (also one that
    // arrived earlier and was not taken yet), takes it and the frames before it. False on time-out.
    bool WaitForFrame(const QString& command, const QString& text, int timeoutMs, SimFrame* found = nullptr) {
        QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            while (m_process.canReadLine()) {
                const QJsonObject line = QJsonDocument::fromJson(m_process.readLine()).object();
                if (line.value("event").toString() == "frame")
                    m_pending.push_back({line.value("command").toString(), line.value("text").toString(),
                                         line.value("valid").toBool(), QDateTime::currentMSecsSinceEpoch()});
            }
            for (size_t i = 0; i < m_pending.size(); ++i) {
                const SimFrame frame = m_pending[i];
                if (!frame.valid || frame.command != command || !frame.text.contains(text)) continue;
                if (found) *found = frame;
                m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<long>(i) + 1);
                return true;
            }
            if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning) return false;
            m_process.waitForReadyRead(static_cast<int>(qMin<qint64>(deadline.remainingTime(), 200)));
        }
    }

private:
    QProcess m_process;
    QString m_device;
    std::vector<SimFrame> m_pending;
};

}  // namespace lumetra::test

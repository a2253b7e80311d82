#include "Simulator.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonObject>

namespace lumetra::test {
CSimulator::CSimulator() {
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
}

CSimulator::~CSimulator() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.write("quit\n");
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(2000)) {
            m_process.terminate();
            m_process.waitForFinished(2000);
        }
    }
}

bool CSimulator::Start() {
    m_process.start(QStringLiteral(LUMETRA_TXSIM_PATH), {QStringLiteral("--json")});
    if (!m_process.waitForStarted(5000)) return false;
    QDeadlineTimer deadline(5000);
    while (!m_process.canReadLine() && !deadline.hasExpired())
        m_process.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    // The first line is the device path, plain, in every output mode.
    m_device = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    return m_device.startsWith(QLatin1Char('/'));
}

void CSimulator::ReadLines() {
    while (m_process.canReadLine()) {
        const QJsonObject line = QJsonDocument::fromJson(m_process.readLine()).object();
        if (line.value(QStringLiteral("event")).toString() != QStringLiteral("frame")) continue;
        m_pending.push_back(
            {line.value(QStringLiteral("command")).toString(), line.value(QStringLiteral("text")).toString(),
             line.value(QStringLiteral("valid")).toBool(), QDateTime::currentMSecsSinceEpoch()});
    }
}

const std::vector<SimFrame>& CSimulator::Pending() {
    m_process.waitForReadyRead(0);
    ReadLines();
    return m_pending;
}

bool CSimulator::WaitForFrame(const QString& command, const QString& text, int timeoutMs, SimFrame* found) {
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        ReadLines();
        for (size_t i = 0; i < m_pending.size(); ++i) {
            const SimFrame& frame = m_pending[i];
            if (frame.valid && frame.command == command && frame.text.contains(text)) {
                if (found) *found = frame;
                m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<long>(i) + 1);
                return true;
            }
        }
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning) return false;
        m_process.waitForReadyRead(static_cast<int>(qMin<qint64>(deadline.remainingTime(), 200)));
    }
}

}  // namespace lumetra::test

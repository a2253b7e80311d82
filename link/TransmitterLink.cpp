#include "link/TransmitterLink.h"

#include <algorithm>
#include <exception>

#include "base/Gbk.h"
#include "base/Logger.h"

namespace lumetra {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kReaderNap{10};
constexpr milliseconds kFrequencyPause{100};
constexpr const char* kHashes = "################################";
constexpr const char* kHeartbeatName = "SendSCOM";

}  // namespace

CTransmitterLink::CTransmitterLink(ILinkNotifier* notifier, IPortAlert* alert)
    : m_heartbeat(MakeShortFrame(kCodeHeartbeat, 0x00)), m_port(alert), m_notifier(notifier) {
    WriteHeader(m_frequencyBuffer.data(), m_frequencyBuffer.size(), kCodeFrequency);
}

CTransmitterLink::~CTransmitterLink() {
    CloseLink(false);
    std::lock_guard lifecycle(m_lifecycleLock);
    // Whatever still lingers has been told to stop; wait for it so no thread outlives the link.
    for (LinkThread& worker : m_lingering)
        if (worker.thread.joinable()) worker.thread.join();
}

void CTransmitterLink::SetNotifier(ILinkNotifier* notifier) {
    m_notifier = notifier;
}

void CTransmitterLink::SetPortAlert(IPortAlert* alert) {
    m_port.SetAlert(alert);
}

// ---------------------------------------------------------------------------------------------
// Frame builders

bool CTransmitterLink::EnqueueFrame(const uint8_t* frame, size_t size, const char* name) {
    return Enqueue(LinkCommand{std::vector<uint8_t>(frame, frame + size), name});
}

void CTransmitterLink::SendPower(const std::array<bool, 4>& outlets) {
    Logger().Debug("SendPower");
    const ShortFrame frame = PowerFrame(PowerMask(outlets));
    EnqueueFrame(frame.data(), frame.size(), "SendPower");
}

void CTransmitterLink::ClosePower() {
    Logger().Debug("ClosePower");
    const ShortFrame frame = PowerFrame(kPowerOffMask);
    EnqueueFrame(frame.data(), frame.size(), "ClosePower");
}

void CTransmitterLink::SendSCOM() {
    Logger().Debug("SendSCOM");
    EnqueueFrame(m_heartbeat.data(), m_heartbeat.size(), kHeartbeatName);
}

bool CTransmitterLink::SendLED(std::string_view text, int screenIndex, std::string* error) {
    Logger().Debug("LED send");
    std::string reason;
    const auto gbk = Utf8ToGbk(text, &reason);
    if (!gbk) {
        reason = "LED text refused: " + reason;
    } else if (gbk->size() > kMaxLedTextBytes) {
        reason = "LED text refused: " + std::to_string(gbk->size()) + " bytes in GBK, at most " +
                 std::to_string(kMaxLedTextBytes) + " fit one screen";
    } else if (screenIndex < 0 || screenIndex >= kLedScreenCount) {
        reason = "LED screen " + std::to_string(screenIndex + 1) + " does not exist (1 to 128)";
    }
    if (!reason.empty()) {
        Logger().Log("%s", reason.c_str());
        if (error) *error = reason;
        return false;
    }
    const size_t size = gbk->size() + 7;
    std::array<uint8_t, kLedBufferSize> frame{};
    WriteHeader(frame.data(), size, kCodeLed);
    frame[5] = static_cast<uint8_t>(screenIndex + 1);
    std::copy(gbk->begin(), gbk->end(), frame.begin() + 6);
    SealFrame(frame.data(), size);
    if (EnqueueFrame(frame.data(), size, "SendLED")) return true;
    Logger().Log("LED text dropped: the port is closed");
    if (error) *error = kPortClosedText;
    return false;
}

void CTransmitterLink::SendAudioCom(AudioImage image) {
    Logger().Debug("SendAudioCom");
    std::array<uint8_t, kAudioFrameSize> frame{};
    std::copy(image.begin(), image.end(), frame.begin());
    SealFrame(frame.data(), frame.size());
    EnqueueFrame(frame.data(), frame.size(), "SendAudioCom");
}

bool CTransmitterLink::SetFrequencies(const ChannelFlags& flags, float frequency2, float frequency3) {
    uint8_t second[3];
    uint8_t third[3];
    if (!EncodeFrequency(frequency2, second) || !EncodeFrequency(frequency3, third)) return false;
    std::lock_guard lock(m_frequencyLock);
    WriteChannelMap(m_frequencyBuffer.data(), flags);
    std::copy(third, third + 3, m_frequencyBuffer.begin() + 5);
    std::copy(second, second + 3, m_frequencyBuffer.begin() + 69);
    return true;
}

FrequencyFrame CTransmitterLink::FrequencyBuffer() const {
    std::lock_guard lock(m_frequencyLock);
    return m_frequencyBuffer;
}

void CTransmitterLink::SendFMCom() {
    Logger().Debug("SendFMCom");
    FrequencyFrame frame = FrequencyBuffer();
    SealFrame(frame.data(), frame.size());
    Enqueue(LinkCommand{std::vector<uint8_t>(frame.begin(), frame.end()), "SendFMCom", kFrequencyPause});
}

void OpenChannels(CTransmitterLink& link, const ChannelFlags& flags) {
    link.SendAudioCom(ChannelImage(flags, 1));
}

void CloseChannels(CTransmitterLink& link, const ChannelFlags& flags) {
    link.SendAudioCom(ChannelImage(flags, 0));
}

void CloseAllChannels(CTransmitterLink& link) {
    link.SendAudioCom(AllChannelsImage(0));
}

// ---------------------------------------------------------------------------------------------
// Queue

bool CTransmitterLink::Enqueue(const LinkCommand& command) {
    {
        std::lock_guard lock(m_queueLock);
        if (!m_writerRunning) return false;
        if (command.name == kHeartbeatName &&
            std::any_of(m_queue.begin(), m_queue.end(),
                        [](const LinkCommand& c) { return c.name == kHeartbeatName; }))
            return true;
        m_queue.push_back(command);
    }
    m_queueChanged.notify_all();
    return true;
}

bool CTransmitterLink::WaitUntilSent(milliseconds limit) {
    std::unique_lock lock(m_queueLock);
    return m_queueChanged.wait_for(lock, limit,
                                   [this] { return !m_writerRunning || (m_queue.empty() && !m_writing); });
}

size_t CTransmitterLink::QueuedCount() const {
    std::lock_guard lock(m_queueLock);
    return m_queue.size();
}

// ---------------------------------------------------------------------------------------------
// Port and threads

bool CTransmitterLink::OpenPort(const std::string& portName, uint32_t baudRate, uint8_t byteSize) {
    if (m_port.IsOpen() || m_writerRunning || m_readerRunning) {
        Logger().Log("OpenPort%s", kHashes);
        CloseLink(true);
    }
    {
        std::lock_guard lock(m_settingsLock);
        m_portName = portName;
        m_baudRate = baudRate;
        m_byteSize = byteSize;
    }
    if (!m_port.Open(portName)) return false;
    if (!ConfigurePort()) return false;
    StartThreads();
    return true;
}

bool CTransmitterLink::ConfigurePort() {
    uint32_t baudRate;
    uint8_t byteSize;
    {
        std::lock_guard lock(m_settingsLock);
        baudRate = m_baudRate;
        byteSize = m_byteSize;
    }
    return m_port.SetTimeouts(0, kReadTimeoutMs, 0, 0, 0) &&
           m_port.SetState(baudRate, byteSize, 0, CSerialPort::kNoParity, CSerialPort::kOneStopBit);
}

bool CTransmitterLink::ReopenPort() {
    std::string name;
    {
        std::lock_guard lock(m_settingsLock);
        name = m_portName;
    }
    m_port.Close();
    // A reopened device starts from its defaults, so the line settings go with every reopen.
    return m_port.Open(name) && ConfigurePort();
}

CTransmitterLink::LinkThread CTransmitterLink::Launch(void (CTransmitterLink::*body)(std::stop_token),
                                                      const char* name) {
    auto finished = std::make_shared<std::promise<void>>();
    LinkThread worker;
    worker.done = finished->get_future();
    worker.thread = std::jthread([this, body, name, finished](std::stop_token stop) {
        try {
            (this->*body)(stop);
        } catch (const std::exception& e) {
            Logger().Log("%s ended by an exception: %s", name, e.what());
        } catch (...) {
            Logger().Log("%s ended by an unknown exception", name);
        }
        finished->set_value();
    });
    return worker;
}

void CTransmitterLink::StartThreads() {
    std::lock_guard lifecycle(m_lifecycleLock);
    if (m_reader.thread.joinable() || m_writer.thread.joinable()) return;  // already running
    {
        std::lock_guard lock(m_queueLock);
        m_writerRunning = true;
        m_nextWrite = Clock::now();
    }
    m_readerRunning = true;
    m_reader = Launch(&CTransmitterLink::ReadFromCom, "ReadFromCom");
    m_writer = Launch(&CTransmitterLink::WriteCom, "WriteCom");
}

void CTransmitterLink::StopThread(LinkThread& worker) {
    if (!worker.thread.joinable()) return;
    worker.thread.request_stop();  // also wakes the thread's waits on m_queueChanged and m_napWake
    if (worker.done.wait_for(kThreadStopWait) == std::future_status::ready) {
        worker.thread.join();
    } else {
        Logger().Log("a link thread did not stop in time; it is joined later");
        m_lingering.push_back(std::move(worker));
    }
    worker = LinkThread{};
}

void CTransmitterLink::CloseLink(bool notify) {
    {
        std::lock_guard lifecycle(m_lifecycleLock);
        m_readerRunning = false;
        {
            std::lock_guard lock(m_queueLock);
            m_writerRunning = false;
            // A stopped link holds nothing: frames from before the stop must not go out on the
            // next connection, perhaps minutes later.
            m_queue.clear();
        }
        m_queueChanged.notify_all();  // releases WaitUntilSent
        StopThread(m_reader);
        StopThread(m_writer);
        // Lingering threads that have finished meanwhile are joined now.
        std::erase_if(m_lingering, [](LinkThread& worker) {
            if (worker.done.wait_for(milliseconds(0)) != std::future_status::ready) return false;
            worker.thread.join();
            return true;
        });
        m_port.Close();
        m_linkUp = false;
    }
    if (notify) Notify();
}

void CTransmitterLink::Notify() {
    if (ILinkNotifier* notifier = m_notifier.load()) notifier->PostLinkStatus();
}

bool CTransmitterLink::Nap(std::stop_token stop, milliseconds duration) {
    std::unique_lock lock(m_napLock);
    // A stop request wakes this wait at once.
    m_napWake.wait_for(lock, stop, duration, [] { return false; });
    return !stop.stop_requested();
}

void CTransmitterLink::WriteCom(std::stop_token stop) {
    while (!stop.stop_requested()) {
        LinkCommand command;
        {
            std::unique_lock lock(m_queueLock);
            // Wake for a new command, or when the spacing after the last write has passed.
            if (!m_queueChanged.wait(lock, stop, [this] { return !m_queue.empty(); })) return;
            // Never closer than the spacing to the last write; new commands do not cut this short.
            m_queueChanged.wait_until(lock, stop, m_nextWrite, [] { return false; });
            if (stop.stop_requested()) return;
            if (m_queue.empty()) continue;  // dropped by CloseLink meanwhile
            command = std::move(m_queue.front());
            m_queue.pop_front();
            m_writing = true;
        }
        Deliver(command, stop);
        {
            std::lock_guard lock(m_queueLock);
            m_writing = false;
            m_nextWrite = Clock::now() + kWriteSpacing + command.pauseAfter;
        }
        m_queueChanged.notify_all();  // for WaitUntilSent
    }
}

void CTransmitterLink::Deliver(const LinkCommand& command, std::stop_token stop) {
    const char* name = command.name.c_str();
    Logger().Debug("%s cmd start write", name);
    if (m_port.Write(command.data.data(), command.data.size())) {
        Logger().Debug("%s write cmd success", name);
        return;
    }
    // A link stopped meanwhile is left alone. The failure itself reached the port alert.
    if (stop.stop_requested()) return;
    Logger().Debug("%s write cmd try again", name);
    Logger().Debug("WriteCom%s", kHashes);
    if (ReopenPort() && m_port.Write(command.data.data(), command.data.size()))
        Logger().Debug("%s write cmd success", name);
    else
        Logger().Debug("%s write cmd fail", name);
}

void CTransmitterLink::ReadFromCom(std::stop_token stop) {
    int emptyReads = 0;
    while (!stop.stop_requested()) {
        Logger().Debug("ReadFromCom");
        uint8_t byte = 0;
        if (m_port.ReadByte(byte)) {
            emptyReads = 0;
            OnReply(m_replies.Push(byte));
        } else {
            if (emptyReads == kEmptyReadsBeforeDown - 1 && !stop.stop_requested()) LinkLost();
            emptyReads = (emptyReads + 1) % kEmptyReadsBeforeDown;
            if (!Nap(stop, kReaderNap)) return;
        }
        if (!Nap(stop, kReaderNap)) return;
    }
}

void CTransmitterLink::OnReply(CReplyAssembler::Result result) {
    if (result == CReplyAssembler::Result::kValid) {
        if (!m_linkUp.exchange(true)) {
            Logger().Log("the transmitter answers");
            m_port.LinkRestored();
        }
        Notify();
    } else if (result == CReplyAssembler::Result::kCorrupt) {
        LinkLost();
    }
}

void CTransmitterLink::LinkLost() {
    // Told once for each loss; while the line stays down it is reopened every few seconds quietly.
    if (m_linkUp.exchange(false))
        Logger().Log("ReadFromCoomm%s", kHashes);
    else
        Logger().Debug("ReadFromCoomm%s", kHashes);
    Notify();
    ReopenPort();
}

CTransmitterLink& TransmitterLink() {
    // The logger is made first so that it outlives the link, whose destructor still logs.
    Logger();
    static CTransmitterLink link;
    return link;
}

}  // namespace lumetra

// The one object through which the program talks to the transmitter. Callers on any thread build
// frames with the Send... operations; each frame goes into a queue, and the writer thread puts
// them on the serial port one at a time, at least 100 ms apart. The reader thread assembles the
// transmitter's 7-byte replies, keeps the link-up flag, tells the user interface through
// ILinkNotifier, and reopens the port when replies stop or arrive corrupted.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <future>
#include <mutex>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "link/Frames.h"
#include "link/LinkCommand.h"
#include "link/LinkNotifier.h"
#include "link/PortAlert.h"
#include "link/ReplyAssembler.h"
#include "link/SerialPort.h"
#include "store/Labels.h"

namespace lumetra {

class CTransmitterLink {
public:
    static constexpr auto kWriteSpacing = std::chrono::milliseconds(100);
    static constexpr auto kThreadStopWait = std::chrono::milliseconds(500);
    static constexpr int kEmptyReadsBeforeDown = 30;
    static constexpr uint32_t kReadTimeoutMs = 100;

    // Both may be null: no notifications, port failures only logged.
    explicit CTransmitterLink(ILinkNotifier* notifier = nullptr, IPortAlert* alert = nullptr);
    // Stops the link without notification and joins every thread it ever started.
    virtual ~CTransmitterLink();
    CTransmitterLink(const CTransmitterLink&) = delete;
    CTransmitterLink& operator=(const CTransmitterLink&) = delete;

    // The notifier is called from the reader thread and from CloseLink; whoever owns it stops
    // the link (CloseLink) or sets another notifier before destroying it.
    void SetNotifier(ILinkNotifier* notifier);
    void SetPortAlert(IPortAlert* alert);

    // --- Frame builders. Each logs, builds its frame and enqueues it; none waits for the port. ---
    void SendPower(const std::array<bool, 4>& outlets);  // 81 40 01 07 AC mask CS, outlets 1..4
    void ClosePower();                                   // 81 40 01 07 AC 80 6A
    void SendSCOM();                                     // the heartbeat 81 40 01 07 AA 00 EC
    // The UTF-8 text goes out as GBK bytes to screen `screenIndex` + 1. Refused (false, `*error`
    // set, nothing queued) when GBK cannot encode it, when it is longer than 128 GBK bytes, when
    // the index is not 0..127, or when the port is closed (`kPortClosedText`).
    static constexpr const char* kPortClosedText = "串口未打开";
    bool SendLED(std::string_view text, int screenIndex, std::string* error = nullptr);
    // Adds the checksum to a 70-byte image whose code and length byte the caller has set.
    void SendAudioCom(AudioImage image);
    // Fills the frequency frame: frequency3 at offsets 5..7, the channel map at 53..68, frequency2
    // at 69..71. Refused (false, frame unchanged) when either frequency does not fit five digits.
    bool SetFrequencies(const ChannelFlags& flags, float frequency2, float frequency3);
    // Queues the frequency frame and returns; the writer leaves 100 ms more than the usual spacing
    // before the frame after it.
    void SendFMCom();
    FrequencyFrame FrequencyBuffer() const;

    // Appends a copy to the queue while the writer runs; drops it otherwise and returns false: the
    // port is closed. A heartbeat is also dropped while another one still waits (heartbeats that
    // piled up behind a slow line would otherwise leave in a burst); one is queued, so that is true.
    virtual bool Enqueue(const LinkCommand& command);
    size_t QueuedCount() const;
    // Waits until every queued frame has been written (or given up) or the link has stopped;
    // false when `limit` passed first.
    bool WaitUntilSent(std::chrono::milliseconds limit);

    // --- Port and threads. ---
    // Opens the port, applies read time-out and line settings, starts both threads. A running link
    // is stopped first (with notification). False when the port cannot be opened or set up.
    bool OpenPort(const std::string& portName, uint32_t baudRate, uint8_t byteSize);
    // After OpenPort failed: the device it tried and the errno of the open (0 when the device
    // opened but refused the line settings).
    std::string DevicePath() const { return m_port.DevicePath(); }
    int OpenError() const { return m_port.OpenError(); }
    void StartThreads();
    // Stops both threads (waiting up to 500 ms for each), closes the port, drops what is queued,
    // sets the link down and, if asked, notifies.
    void CloseLink(bool notify);
    bool IsLinkUp() const { return m_linkUp; }
    bool IsRunning() const { return m_writerRunning; }

private:
    struct LinkThread {
        std::jthread thread;
        std::future<void> done;  // ready when the thread body has returned
    };

    LinkThread Launch(void (CTransmitterLink::*body)(std::stop_token), const char* name);
    void StopThread(LinkThread& worker);
    void WriteCom(std::stop_token stop);
    void ReadFromCom(std::stop_token stop);
    void Deliver(const LinkCommand& command, std::stop_token stop);
    void OnReply(CReplyAssembler::Result result);
    void LinkLost();
    bool ReopenPort();
    bool ConfigurePort();
    void Notify();
    bool Nap(std::stop_token stop, std::chrono::milliseconds duration);  // false when stopped
    bool EnqueueFrame(const uint8_t* frame, size_t size, const char* name);

    const ShortFrame m_heartbeat;
    FrequencyFrame m_frequencyBuffer{};
    mutable std::mutex m_frequencyLock;  // guards m_frequencyBuffer between the page and a reader of it

    CSerialPort m_port;
    std::atomic<ILinkNotifier*> m_notifier;
    std::atomic<bool> m_linkUp{false};
    CReplyAssembler m_replies;  // only the reader thread touches it

    std::atomic<bool> m_writerRunning{false};
    std::atomic<bool> m_readerRunning{false};
    mutable std::mutex m_queueLock;  // guards m_queue, m_writing, m_nextWrite; never held while writing
    std::condition_variable_any m_queueChanged;
    std::deque<LinkCommand> m_queue;
    bool m_writing = false;                               // the writer holds a command taken from the queue
    std::chrono::steady_clock::time_point m_nextWrite{};  // earliest start of the next write

    std::mutex m_napLock;  // only for the interruptible sleeps of the threads
    std::condition_variable_any m_napWake;

    std::mutex m_lifecycleLock;  // serialises OpenPort, StartThreads and CloseLink
    LinkThread m_reader;
    LinkThread m_writer;
    // Threads that did not end within the stop wait (a write the device never finished).
    // They have been told to stop and touch nothing more; they are joined later.
    std::vector<LinkThread> m_lingering;

    mutable std::mutex m_settingsLock;  // guards the three settings below
    std::string m_portName;             // the last values given to OpenPort, reused by every reopen
    uint32_t m_baudRate = 0;
    uint8_t m_byteSize = 0;
};

// The process-wide link, created on first use.
CTransmitterLink& TransmitterLink();

// Switch the flagged receivers on or off, and every receiver off.
void OpenChannels(CTransmitterLink& link, const ChannelFlags& flags);
void CloseChannels(CTransmitterLink& link, const ChannelFlags& flags);
void CloseAllChannels(CTransmitterLink& link);

}  // namespace lumetra

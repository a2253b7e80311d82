// lumetra-txsim: a transmitter on a pseudo-terminal, for watching Lumetra work without the
// hardware and for the integration tests. It prints the device path on the first line, then one
// line per frame it receives, and answers every valid frame with a valid 7-byte reply.
#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "link/Frames.h"
#include "tools/txsim/FrameDecoder.h"
#include "tools/txsim/PseudoTerminal.h"
#include "tools/txsim/TransmitterState.h"

namespace lumetra::txsim {
namespace {

constexpr const char* kUsage =
    "usage: lumetra-txsim [options]\n"
    "  --json               one JSON object per line instead of readable lines\n"
    "  --link PATH          keep a symbolic link PATH pointing at the current device\n"
    "  --silent             read frames but never answer\n"
    "  --corrupt            answer with a wrong checksum\n"
    "  --hangup-after SEC   hang up SEC seconds after start\n"
    "  --down-for SEC       stay away this long after a hang-up (default 3)\n"
    "  --hide-heartbeat     do not print heartbeat frames\n"
    "  --watch FILE         also append the readable lines to FILE (a terminal, say), even with --json\n"
    "Commands on standard input while running:\n"
    "  normal | silent | corrupt | hangup [SEC] | state | help | quit\n"
    "Point Lumetra at the device with LUMETRA_COM1=<device> (or COM2..COM4).\n";

constexpr long kPartialTimeoutMs = 500;  // a frame that stops halfway is reported after this
constexpr long kTickMs = 50;      // commands, hang-up timers and stalled frames are looked at this often
constexpr long kIdleRetryMs = 5;  // how often to look again while nobody has the port open, so the
                                  // first frame after an open is seen (and timed) promptly

enum class Mode { kNormal, kSilent, kCorrupt };

// Whether the program has the device open, as far as the simulator can see.
enum class OtherEnd { kUnknown, kOpen, kClosed };

const char* ModeName(Mode mode) {
    switch (mode) {
        case Mode::kNormal:
            return "normal";
        case Mode::kSilent:
            return "silent";
        case Mode::kCorrupt:
            return "corrupt";
    }
    return "?";
}

const char* ModeMeaning(Mode mode) {
    switch (mode) {
        case Mode::kNormal:
            return "every valid frame is answered";
        case Mode::kSilent:
            return "frames are read, nothing is answered";
        case Mode::kCorrupt:
            return "answers carry a wrong checksum";
    }
    return "";
}

volatile sig_atomic_t g_stop = 0;

void OnSignal(int) {
    g_stop = 1;
}

long long MonotonicMicros() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

std::string WallTime() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm local{};
    localtime_r(&now.tv_sec, &local);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03ld", local.tm_hour, local.tm_min, local.tm_sec,
                  now.tv_nsec / 1000000);
    return text;
}

std::string Text(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Text(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    return text;
}

std::string JsonText(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

struct Options {
    bool json = false;
    std::string link;
    Mode mode = Mode::kNormal;
    long hangupAfterMs = -1;
    long downForMs = 3000;
    bool hideHeartbeat = false;
    std::string watch;
};

bool ParseSeconds(const char* text, long* ms) {
    char* end = nullptr;
    const double seconds = std::strtod(text, &end);
    if (end == text || *end || seconds < 0 || seconds > 86400) return false;
    *ms = static_cast<long>(seconds * 1000);
    return true;
}

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--json") {
            options->json = true;
        } else if (arg == "--silent") {
            options->mode = Mode::kSilent;
        } else if (arg == "--corrupt") {
            options->mode = Mode::kCorrupt;
        } else if (arg == "--hide-heartbeat") {
            options->hideHeartbeat = true;
        } else if (arg == "--watch" && hasValue) {
            options->watch = argv[++i];
        } else if (arg == "--link" && hasValue) {
            options->link = argv[++i];
        } else if (arg == "--hangup-after" && hasValue) {
            if (!ParseSeconds(argv[++i], &options->hangupAfterMs)) return false;
        } else if (arg == "--down-for" && hasValue) {
            if (!ParseSeconds(argv[++i], &options->downForMs)) return false;
        } else {
            return false;
        }
    }
    return true;
}

class CSimulator {
public:
    explicit CSimulator(const Options& options) : m_options(options), m_mode(options.mode) {}
    ~CSimulator() {
        if (m_watch) std::fclose(m_watch);
    }

    int Run() {
        std::string error;
        if (!m_pty.Open(&error)) {
            std::fprintf(stderr, "lumetra-txsim: %s\n", error.c_str());
            return 1;
        }
        if (!PointLink()) return 1;
        if (!m_options.watch.empty()) {
            m_watch = std::fopen(m_options.watch.c_str(), "a");
            if (!m_watch) {
                std::fprintf(stderr, "lumetra-txsim: cannot write to %s: %s\n", m_options.watch.c_str(),
                             std::strerror(errno));
                return 1;
            }
            std::setvbuf(m_watch, nullptr, _IOLBF, 0);
        }
        std::printf("%s\n", m_pty.DevicePath().c_str());
        if (!m_options.json) {
            std::printf("Transmitter ready on %s%s%s. Start Lumetra with LUMETRA_COM1=%s\n",
                        m_pty.DevicePath().c_str(), m_options.link.empty() ? "" : ", linked from ",
                        m_options.link.c_str(),
                        (m_options.link.empty() ? m_pty.DevicePath() : m_options.link).c_str());
            std::printf("Mode %s: %s. Type \"help\" for commands.\n", ModeName(m_mode), ModeMeaning(m_mode));
        }
        const long long start = MonotonicMicros();
        if (m_options.hangupAfterMs >= 0) m_hangupAt = start + m_options.hangupAfterMs * 1000LL;

        while (!g_stop && !m_quit) Step();
        DrainPort();
        if (!m_options.link.empty()) ::unlink(m_options.link.c_str());
        return 0;
    }

private:
    void Step() {
        const long long now = MonotonicMicros();
        if (m_hangupAt >= 0 && now >= m_hangupAt) HangUp(m_options.downForMs);
        if (m_backAt >= 0 && now >= m_backAt) ComeBack();

        std::vector<pollfd> fds;
        if (m_stdinOpen) fds.push_back({STDIN_FILENO, POLLIN, 0});
        const bool watchPort = m_pty.IsOpen() && now >= m_portIdleUntil;
        if (watchPort) fds.push_back({m_pty.Fd(), POLLIN, 0});
        const int ready =
            ::poll(fds.data(), fds.size(), static_cast<int>(watchPort ? kTickMs : kIdleRetryMs));
        if (ready < 0) return;  // a signal; the loop checks it
        for (const pollfd& p : fds) {
            if (p.fd == STDIN_FILENO && p.revents) ReadCommands();
            if (p.fd != m_pty.Fd()) continue;
            NoteOtherEnd((p.revents & POLLHUP) ? OtherEnd::kClosed : OtherEnd::kOpen);
            if (p.revents) ReadPort(p.revents);
        }
        if (m_decoder.HasPartial() && MonotonicMicros() - m_lastByteAt > kPartialTimeoutMs * 1000)
            Report(m_decoder.TakePartial(), m_lastByteAt);
    }

    // Stopped by a signal or told to quit: what has reached the port is still read and shown, so a
    // program that switched everything off just before it ended is seen doing it.
    void DrainPort() {
        const long long until = MonotonicMicros() + 1000000;
        while (m_pty.IsOpen() && MonotonicMicros() < until) {
            pollfd p{m_pty.Fd(), POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0 || !(p.revents & POLLIN)) break;
            ReadPort(p.revents);
            if (p.revents & POLLHUP) break;
        }
        if (m_decoder.HasPartial()) Report(m_decoder.TakePartial(), m_lastByteAt);
    }

    // Says when the program opens or closes the device, so a reopen after a fault is visible.
    void NoteOtherEnd(OtherEnd now) {
        if (now == m_otherEnd) return;
        if (now == OtherEnd::kOpen) Event("opened", "the port was opened");
        if (now == OtherEnd::kClosed && m_otherEnd == OtherEnd::kOpen) Event("closed", "the port was closed");
        m_otherEnd = now;
    }

    void ReadPort(short revents) {
        uint8_t buffer[512];
        const ssize_t n = ::read(m_pty.Fd(), buffer, sizeof buffer);
        if (n <= 0) {
            // Nobody has the other end open (yet, or between Lumetra's reopens).
            if (revents & POLLHUP) m_portIdleUntil = MonotonicMicros() + kIdleRetryMs * 1000;
            return;
        }
        m_lastByteAt = MonotonicMicros();
        const size_t skippedBefore = m_decoder.SkippedBytes();
        for (const DecodedFrame& frame : m_decoder.Push(buffer, static_cast<size_t>(n)))
            Report(frame, m_lastByteAt);
        if (m_decoder.SkippedBytes() != skippedBefore)
            Event("skipped",
                  std::to_string(m_decoder.SkippedBytes() - skippedBefore) + " bytes outside any frame");
    }

    void Report(const DecodedFrame& frame, long long at) {
        const FrameSummary summary = m_state.Apply(frame);
        std::string reply;
        if (frame.Valid() && m_mode != Mode::kSilent) reply = Answer(frame.bytes[4]);
        if (m_options.hideHeartbeat && summary.command == "SendSCOM" && frame.Valid()) return;
        const std::string hex = Hex(frame.bytes.data(), frame.bytes.size());
        const std::string json = Text(
            "{\"event\":\"frame\",\"time\":\"%s\",\"t_us\":%lld,\"command\":%s,\"valid\":%s,"
            "\"problem\":%s,\"length\":%zu,\"hex\":\"%s\",\"text\":%s,\"reply\":\"%s\"}\n",
            WallTime().c_str(), at, JsonText(summary.command).c_str(), frame.Valid() ? "true" : "false",
            JsonText(frame.problem).c_str(), frame.bytes.size(), hex.c_str(), JsonText(summary.text).c_str(),
            reply.c_str());
        std::string human;
        if (!frame.Valid())
            human =
                Text("%s  !! bad frame: %s   [%s]\n", WallTime().c_str(), summary.text.c_str(), hex.c_str());
        else
            human =
                Text("%s  %-13s %s%s\n", WallTime().c_str(), summary.command.c_str(), summary.text.c_str(),
                     m_mode == Mode::kSilent    ? "   (not answered: silent)"
                     : m_mode == Mode::kCorrupt ? "   (answered with a bad checksum)"
                                                : "");
        Emit(json, human);
    }

    // Standard output gets the chosen form; the watch file, if any, the readable one.
    void Emit(const std::string& json, const std::string& human) {
        std::fputs((m_options.json ? json : human).c_str(), stdout);
        if (m_watch) std::fputs(human.c_str(), m_watch);
    }

    // Writes the 7-byte reply and returns it as text.
    std::string Answer(uint8_t code) {
        ShortFrame reply = MakeShortFrame(code, 0x00);
        if (m_mode == Mode::kCorrupt) reply[6] ^= 0xFF;
        const ssize_t written = ::write(m_pty.Fd(), reply.data(), reply.size());
        if (written != static_cast<ssize_t>(reply.size())) return {};
        return Hex(reply.data(), reply.size());
    }

    void ReadCommands() {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            m_stdinOpen = false;  // run on without commands
            return;
        }
        m_input.append(buffer, static_cast<size_t>(n));
        for (size_t end; (end = m_input.find('\n')) != std::string::npos;) {
            const std::string line = m_input.substr(0, end);
            m_input.erase(0, end + 1);
            Command(line);
        }
    }

    void Command(const std::string& line) {
        char word[32] = {};
        char argument[32] = {};
        if (std::sscanf(line.c_str(), "%31s %31s", word, argument) < 1) return;
        const std::string command = word;
        if (command == "normal" || command == "silent" || command == "corrupt") {
            m_mode = command == "normal"   ? Mode::kNormal
                     : command == "silent" ? Mode::kSilent
                                           : Mode::kCorrupt;
            Event("mode", std::string(ModeName(m_mode)) + ": " + ModeMeaning(m_mode));
        } else if (command == "hangup") {
            long downFor = m_options.downForMs;
            if (*argument && !ParseSeconds(argument, &downFor)) {
                Event("error", "hangup takes a number of seconds");
                return;
            }
            HangUp(downFor);
        } else if (command == "state") {
            if (m_options.json)
                Event("state", m_state.Describe());
            else
                std::printf("%s", m_state.Describe().c_str());
        } else if (command == "quit") {
            m_quit = true;
        } else if (command == "help") {
            std::printf("%s", kUsage);
        } else {
            Event("error", "unknown command \"" + command + "\"; type help");
        }
    }

    void HangUp(long downForMs) {
        m_hangupAt = -1;
        if (!m_pty.IsOpen()) return;
        m_pty.Close();
        // An unplugged adapter's stable name goes with it; a reader that reopens the old device
        // path meanwhile could reach whatever pseudo-terminal reuses its number.
        if (!m_options.link.empty()) ::unlink(m_options.link.c_str());
        m_decoder = CFrameDecoder();
        m_otherEnd = OtherEnd::kUnknown;
        m_backAt = MonotonicMicros() + downForMs * 1000LL;
        char text[64];
        std::snprintf(text, sizeof text, "hung up; back in %.1f s", downForMs / 1000.0);
        Event("hangup", text);
    }

    void ComeBack() {
        m_backAt = -1;
        std::string error;
        if (!m_pty.Open(&error)) {
            Event("error", error + "; trying again in a second");
            m_backAt = MonotonicMicros() + 1000000;
            return;
        }
        m_portIdleUntil = 0;
        PointLink();
        Event("back", "back on " + m_pty.DevicePath());
    }

    // Re-points the stable name at the current device in one step, so it never dangles midway.
    bool PointLink() {
        if (m_options.link.empty()) return true;
        struct stat existing {};
        if (::lstat(m_options.link.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
            std::fprintf(stderr, "lumetra-txsim: %s exists and is no symbolic link; it is left alone\n",
                         m_options.link.c_str());
            return false;
        }
        const std::string temporary = m_options.link + ".new";
        ::unlink(temporary.c_str());
        if (::symlink(m_pty.DevicePath().c_str(), temporary.c_str()) != 0 ||
            ::rename(temporary.c_str(), m_options.link.c_str()) != 0) {
            std::fprintf(stderr, "lumetra-txsim: cannot link %s: %s\n", m_options.link.c_str(),
                         std::strerror(errno));
            return false;
        }
        return true;
    }

    void Event(const char* kind, const std::string& text) {
        Emit(Text("{\"event\":\"%s\",\"time\":\"%s\",\"t_us\":%lld,\"text\":%s,\"device\":%s}\n", kind,
                  WallTime().c_str(), MonotonicMicros(), JsonText(text).c_str(),
                  JsonText(m_pty.IsOpen() ? m_pty.DevicePath() : "").c_str()),
             Text("%s  -- %s\n", WallTime().c_str(), text.c_str()));
    }

    const Options m_options;
    Mode m_mode;
    CPseudoTerminal m_pty;
    CFrameDecoder m_decoder;
    CTransmitterState m_state;
    std::string m_input;
    OtherEnd m_otherEnd = OtherEnd::kUnknown;
    std::FILE* m_watch = nullptr;
    bool m_stdinOpen = true;
    bool m_quit = false;
    long long m_lastByteAt = 0;
    long long m_portIdleUntil = 0;
    long long m_hangupAt = -1;
    long long m_backAt = -1;
};

}  // namespace
}  // namespace lumetra::txsim

int main(int argc, char** argv) {
    using namespace lumetra::txsim;
    Options options;
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("%s", kUsage);
        return 0;
    }
    if (!ParseOptions(argc, argv, &options)) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // Started in the background of a shell it must not stop at its first look at the terminal;
    // the read fails instead and it runs on without commands.
    signal(SIGTTIN, SIG_IGN);
    return CSimulator(options).Run();
}

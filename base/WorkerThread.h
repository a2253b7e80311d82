// A thread that its owner never waits on for more than a few milliseconds. Releasing it (or
// destroying it, or giving it a new body) asks it to stop; a thread that has not ended within
// kJoinWait, blocked where no stop reaches (a file on a hung network share, a device probe), goes
// to the process's lingering threads, which join it once it has ended. Nothing is killed or
// detached; whatever such a thread still delivers, its owner must be able to drop.
#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <stop_token>
#include <string>
#include <thread>

namespace lumetra {

class CWorkerThread {
public:
    static constexpr std::chrono::milliseconds kJoinWait{5};

    CWorkerThread() = default;
    // Starts `body` at once; `what` names it in the log should it linger at exit.
    CWorkerThread(std::string what, std::function<void(std::stop_token)> body);
    ~CWorkerThread() { Release(); }
    CWorkerThread(CWorkerThread&&) noexcept = default;
    CWorkerThread& operator=(CWorkerThread&& other) noexcept;  // releases the thread held so far
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    void RequestStop() { m_thread.request_stop(); }
    // True with no thread, or once its body has returned.
    bool Finished() const;
    // Asks it to stop and joins it, or hands it to the lingering threads; then holds no thread.
    void Release();

private:
    std::string m_what;
    std::jthread m_thread;
    std::shared_future<void> m_done;
};

// Waits up to `limit` for the lingering threads and joins those that end; logs each one left and
// returns how many are. The program calls it as it exits: what is still blocked then ends with
// the process.
size_t JoinLingeringThreads(std::chrono::milliseconds limit);

}  // namespace lumetra

#include "base/WorkerThread.h"

#include <mutex>
#include <vector>

#include "base/Logger.h"

namespace lumetra {
namespace {

struct LingeringThread {
    std::string what;
    std::jthread thread;
    std::shared_future<void> done;
};

struct LingeringThreads {
    std::mutex lock;  // guards threads
    std::vector<LingeringThread> threads;
};

// Never destroyed: a thread still blocked when the process ends must not be joined by a static
// destructor, which would hold the exit up for as long as it stays blocked.
LingeringThreads& Lingering() {
    static auto* lingering = new LingeringThreads;
    return *lingering;
}

bool HasEnded(const std::shared_future<void>& done) {
    return done.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

}  // namespace

CWorkerThread::CWorkerThread(std::string what, std::function<void(std::stop_token)> body)
    : m_what(std::move(what)) {
    auto ended = std::make_shared<std::promise<void>>();
    m_done = ended->get_future().share();
    m_thread = std::jthread([body = std::move(body), ended](std::stop_token stop) {
        body(stop);
        ended->set_value();
    });
}

CWorkerThread& CWorkerThread::operator=(CWorkerThread&& other) noexcept {
    if (this != &other) {
        Release();
        m_what = std::move(other.m_what);
        m_thread = std::move(other.m_thread);
        m_done = std::move(other.m_done);
    }
    return *this;
}

bool CWorkerThread::Finished() const {
    return !m_thread.joinable() || HasEnded(m_done);
}

void CWorkerThread::Release() {
    if (!m_thread.joinable()) return;
    m_thread.request_stop();
    if (m_done.wait_for(kJoinWait) == std::future_status::ready) {
        m_thread.join();
        return;
    }
    LingeringThreads& lingering = Lingering();
    std::lock_guard lock(lingering.lock);
    std::erase_if(lingering.threads, [](LingeringThread& held) {
        if (!HasEnded(held.done)) return false;
        held.thread.join();  // its body has returned: the thread is about to end
        return true;
    });
    lingering.threads.push_back({std::move(m_what), std::move(m_thread), std::move(m_done)});
}

size_t JoinLingeringThreads(std::chrono::milliseconds limit) {
    LingeringThreads& lingering = Lingering();
    std::vector<LingeringThread> waited;
    {
        std::lock_guard lock(lingering.lock);
        waited.swap(lingering.threads);
    }
    // Waited for outside the lock, so a thread handed over meanwhile never waits behind this.
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::erase_if(waited, [&](LingeringThread& held) {
        if (held.done.wait_until(deadline) != std::future_status::ready) return false;
        held.thread.join();
        return true;
    });
    for (const LingeringThread& held : waited)
        Logger().Log("%s is still blocked; it ends with the process", held.what.c_str());
    std::lock_guard lock(lingering.lock);
    const size_t left = waited.size() + lingering.threads.size();
    for (LingeringThread& held : waited) lingering.threads.push_back(std::move(held));
    return left;
}

}  // namespace lumetra

// Lets the statements of every thread run side by side and holds them all back for the moment a
// database file is closed or replaced. A thread may pass it again while inside (a transaction
// keeps it across its statements). Once a replacement waits, new statements wait behind it, so it
// waits only for the statements already running.
#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace lumetra {

class CStatementGate {
public:
    void Enter();
    void Leave();
    // Waits up to `wait` for the statements inside to end, holding new ones back meanwhile. False
    // when they did not end in time, or when the calling thread is inside itself.
    bool Close(std::chrono::milliseconds wait);
    void Open();

private:
    // Kept by the gate, not by each thread: a database closed at exit, after the threads' own
    // storage is gone, still finds it.
    std::mutex m_lock;  // guards the three below
    std::condition_variable m_changed;
    std::map<std::thread::id, int> m_depths;  // how often each thread inside is inside
    int m_inside = 0;                         // threads inside
    bool m_closed = false;                    // closed, or closing
};

// Inside the gate for a scope.
class CGatePass {
public:
    explicit CGatePass(CStatementGate& gate) : m_gate(gate) { m_gate.Enter(); }
    ~CGatePass() { m_gate.Leave(); }
    CGatePass(const CGatePass&) = delete;
    CGatePass& operator=(const CGatePass&) = delete;

private:
    CStatementGate& m_gate;
};

}  // namespace lumetra

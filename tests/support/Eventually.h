// Waits on a condition that another thread makes true: polls it until it holds or the limit passes.
#pragma once

#include <chrono>
#include <thread>

namespace lumetra::test {

template <typename F>
bool Eventually(F holds, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    for (const auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;
         std::this_thread::sleep_for(std::chrono::milliseconds(5)))
        if (holds()) return true;
    return holds();
}

}  // namespace lumetra::test

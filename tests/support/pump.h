// Running the user-interface loop in tests, so queued events (player notifications, timer
// ticks) arrive as they do in the program.
#pragma once

#include <QCoreApplication>

#include <chrono>
#include <functional>
#include <thread>

// Runs the user-interface loop until pred holds or the time is up; returns pred().
inline bool PumpUntil(const std::function<bool()>& pred, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred() && std::chrono::steady_clock::now() < end) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return pred();
}

inline void PumpFor(int ms) {
    PumpUntil([] { return false; }, ms);
}

#pragma once

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

namespace bdg::cli {

/// A bar moving on standard error while a long step runs, for a person at a terminal.
///
/// The run reports no fractions, so the bar shows that work goes on and for how long. It
/// appears only after a moment (a quick run prints nothing) and only when the stream is a
/// terminal, so scripts and files never receive it. The line is wiped when it stops.
class ProgressBar {
public:
    explicit ProgressBar(std::FILE* stream = stderr, int delayMs = 700);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void start();
    void stop();

private:
    void loop();

    std::FILE* m_stream;
    int m_delayMs;
    bool m_enabled;
    bool m_running = false;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_thread;
};

} // namespace bdg::cli

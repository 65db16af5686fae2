#include "app/cli/progress_bar.h"

#include <unistd.h>

#include <chrono>
#include <string>

namespace bdg::cli {
namespace {

constexpr int Width = 30;
constexpr int Block = 6;

std::string frame(int step, double seconds) {
    std::string bar(Width, ' ');
    const int span = Width - Block;
    const int position = (step / span) % 2 == 0 ? step % span : span - step % span;
    for (int cell = 0; cell < Block; ++cell)
        bar[std::size_t(position + cell)] = '=';
    char tail[32];
    std::snprintf(tail, sizeof tail, "] %.1f s", seconds);
    return "\rbdgintric: elaborazione [" + bar + tail;
}

} // namespace

ProgressBar::ProgressBar(std::FILE* stream, int delayMs)
    : m_stream(stream), m_delayMs(delayMs), m_enabled(isatty(fileno(stream)) != 0) {}

ProgressBar::~ProgressBar() {
    stop();
}

void ProgressBar::start() {
    if (!m_enabled || m_running)
        return;
    m_running = true;
    m_thread = std::thread([this] { loop(); });
}

void ProgressBar::stop() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_running)
            return;
        m_running = false;
    }
    m_wake.notify_all();
    m_thread.join();
}

void ProgressBar::loop() {
    using Clock = std::chrono::steady_clock;
    const auto begin = Clock::now();
    std::unique_lock lock(m_mutex);
    if (m_wake.wait_for(lock, std::chrono::milliseconds(m_delayMs), [this] { return !m_running; }))
        return;
    bool shown = false;
    for (int step = 0; m_running; ++step) {
        const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
        std::fputs(frame(step, seconds).c_str(), m_stream);
        std::fflush(m_stream);
        shown = true;
        m_wake.wait_for(lock, std::chrono::milliseconds(100), [this] { return !m_running; });
    }
    if (shown) {
        std::fputs(("\r" + std::string(Width + 40, ' ') + "\r").c_str(), m_stream);
        std::fflush(m_stream);
    }
}

} // namespace bdg::cli

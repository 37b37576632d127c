#include "platform/background_work.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace Platform {

struct ManualResetEvent::State {
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    bool signalled = false;
};

ManualResetEvent::ManualResetEvent(bool signalled) : m_state(new State)
{
    m_state->signalled = signalled;
}

ManualResetEvent::~ManualResetEvent() = default;

void ManualResetEvent::set()
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->signalled = true;
    m_state->changed.notify_all();
}

void ManualResetEvent::reset()
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->signalled = false;
}

bool ManualResetEvent::wait(std::uint32_t milliseconds) const
{
    std::unique_lock<std::mutex> lock(m_state->mutex);
    if (milliseconds == wait_forever) {
        m_state->changed.wait(lock, [this] { return m_state->signalled; });
        return true;
    }
    return m_state->changed.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                     [this] { return m_state->signalled; });
}

bool system_queue_work_item(void (*work)(void* context), void* context)
{
    try {
        std::thread(work, context).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

} // namespace Platform

#pragma once
// A manual-reset event and a thread-pool work item: the only synchronisation between
// the user-interface thread and a module's background load.

#include <cstdint>
#include <memory>

namespace Platform {

constexpr std::uint32_t wait_forever = 0xFFFFFFFFu;

class ManualResetEvent {
public:
    explicit ManualResetEvent(bool signalled);
    ~ManualResetEvent();
    ManualResetEvent(const ManualResetEvent&) = delete;
    ManualResetEvent& operator=(const ManualResetEvent&) = delete;

    void set();
    void reset();
    // True when the event is signalled within `milliseconds` (wait_forever: no limit).
    bool wait(std::uint32_t milliseconds) const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// Runs work(context) on a thread-pool thread (through the queue below, by default the
// system's). False when the work could not be queued; it has then not run.
bool queue_work_item(void (*work)(void* context), void* context);

// The system's queue: QueueUserWorkItem, or a new detached thread elsewhere.
bool system_queue_work_item(void (*work)(void* context), void* context);

// How work is queued, replaceable so that tests can see what follows a refusal; null
// restores the system's. Returns the one replaced. User-interface thread only.
using WorkQueue = bool (*)(void (*work)(void* context), void* context);
WorkQueue replace_work_queue(WorkQueue queue);

} // namespace Platform

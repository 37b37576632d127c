#include "platform/background_work.h"

#include <windows.h>

namespace Platform {

struct ManualResetEvent::State {
    HANDLE event = nullptr;
};

ManualResetEvent::ManualResetEvent(bool signalled) : m_state(new State)
{
    m_state->event = CreateEventW(nullptr, TRUE, signalled ? TRUE : FALSE, nullptr);
}

ManualResetEvent::~ManualResetEvent()
{
    if (m_state->event)
        CloseHandle(m_state->event);
}

void ManualResetEvent::set() { SetEvent(m_state->event); }
void ManualResetEvent::reset() { ResetEvent(m_state->event); }

bool ManualResetEvent::wait(std::uint32_t milliseconds) const
{
    return WaitForSingleObject(m_state->event, milliseconds) == WAIT_OBJECT_0;
}

namespace {
struct WorkItem {
    void (*work)(void*);
    void* context;
};

DWORD WINAPI run_work_item(void* parameter)
{
    WorkItem item = *static_cast<WorkItem*>(parameter);
    delete static_cast<WorkItem*>(parameter);
    item.work(item.context);
    return 0;
}
} // namespace

bool system_queue_work_item(void (*work)(void* context), void* context)
{
    auto* item = new WorkItem{work, context};
    if (QueueUserWorkItem(run_work_item, item, WT_EXECUTEDEFAULT))
        return true;
    delete item;
    return false;
}

} // namespace Platform

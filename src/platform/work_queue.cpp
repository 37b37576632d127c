#include "platform/background_work.h"

namespace Platform {
namespace {

WorkQueue g_queue = system_queue_work_item;

} // namespace

bool queue_work_item(void (*work)(void* context), void* context)
{
    return g_queue(work, context);
}

WorkQueue replace_work_queue(WorkQueue queue)
{
    WorkQueue previous = g_queue;
    g_queue = queue ? queue : system_queue_work_item;
    return previous;
}

} // namespace Platform

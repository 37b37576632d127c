#include "app/process_entry.h"

#include "app/com_call.h"
#include "app/error_report.h"

#include <objbase.h>

#include <exception>

namespace App {

int run_process(int (*run)())
{
    HeapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0);
    try {
        check(CoInitialize(nullptr), "CoInitialize");
        try {
            return run();
        } catch (...) {
            CoUninitialize();
            throw;
        }
    } catch (const std::exception& failure) {
        report_fatal_error(failure);
        return 1;
    }
}

} // namespace App

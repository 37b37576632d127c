#include "app/error_report.h"

#include "platform/debug_output.h"

#include <utility>

namespace App {
namespace {

std::string error_text(const char* middle, const char* description)
{
    std::string text = short_application_name;
    text += middle;
    text += description ? description : "";
    if (text.back() != '.')
        text += '.';
    return text;
}

ErrorBox& current_box()
{
    static ErrorBox box;
    return box;
}

int g_window_boxes_open = 0; // user-interface thread only

} // namespace

std::string fatal_error_text(const char* description)
{
    return error_text(" has encountered an uncaught top-level exception, and will therefore close.\nThe cause is: ",
                      description);
}

std::string window_error_text(const char* description)
{
    return error_text(" has encountered an exception.\nThe cause is: ", description);
}

ErrorBox set_error_box(ErrorBox box)
{
    return std::exchange(current_box(), std::move(box));
}

void show_error_box(HWND owner, const std::string& text) noexcept
{
    try {
        if (const ErrorBox& box = current_box()) {
            box(owner, text);
            return;
        }
    } catch (...) {
        // A replacement that fails falls back to the real box.
    }
    MessageBoxA(owner, text.c_str(), short_application_name, MB_ICONWARNING | MB_SETFOREGROUND);
}

void report_fatal_error(const std::exception& failure) noexcept
{
    try {
        show_error_box(nullptr, fatal_error_text(failure.what()));
    } catch (...) {
        // Out of memory for the text: say at least that the program ends.
        MessageBoxA(nullptr, "TVSE has encountered an uncaught top-level exception, and will therefore close.",
                    short_application_name, MB_ICONWARNING | MB_SETFOREGROUND);
    }
}

void report_window_error(HWND owner, const std::exception& failure) noexcept
{
    try {
        std::string text = window_error_text(failure.what());
        if (g_window_boxes_open > 0) {
            Platform::debug_output(text);
            return;
        }
        ++g_window_boxes_open;
        show_error_box(owner, text);
        --g_window_boxes_open;
    } catch (...) {
        // Only allocation can fail here; there is nothing left to tell the user with.
    }
}

} // namespace App

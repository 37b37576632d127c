#pragma once
// The program's two warning boxes: the fatal one of the process entry (no owner) and
// the per-window one of the window procedure. Both go through one replaceable function
// so that tests can read the text and the owner instead of facing a modal box.

#include <windows.h>

#include <exception>
#include <functional>
#include <string>

namespace App {

// The caption of both boxes and the first word of their text.
constexpr const char* short_application_name = "TVSE";

// "TVSE has encountered an uncaught top-level exception, and will therefore close.\n
// The cause is: <description>", with a full stop appended unless there is one.
std::string fatal_error_text(const char* description);

// "TVSE has encountered an exception.\nThe cause is: <description>", same full stop rule.
std::string window_error_text(const char* description);

using ErrorBox = std::function<void(HWND owner, const std::string& text)>;

// Replaces what shows the boxes (an empty function restores MessageBoxA) and returns
// the previous one.
ErrorBox set_error_box(ErrorBox box);

// Shows `text` through the current box function. Never throws.
void show_error_box(HWND owner, const std::string& text) noexcept;

void report_fatal_error(const std::exception& failure) noexcept;

// While one per-window box is open, a failure in the messages its modal loop dispatches
// (a paint that keeps failing, say) goes to the debugger output instead of opening box
// after box.
void report_window_error(HWND owner, const std::exception& failure) noexcept;

} // namespace App

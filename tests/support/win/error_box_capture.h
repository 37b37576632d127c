#pragma once
// Catches the program's warning boxes for the life of the object, so that tests can
// read their owner and text instead of facing a modal box.

#include "app/error_report.h"

#include <functional>
#include <string>
#include <vector>

namespace TestSupport {

struct CapturedBox {
    HWND owner;
    std::string text;
};

class ErrorBoxCapture {
public:
    ErrorBoxCapture();
    ~ErrorBoxCapture();
    ErrorBoxCapture(const ErrorBoxCapture&) = delete;
    ErrorBoxCapture& operator=(const ErrorBoxCapture&) = delete;

    std::vector<CapturedBox> boxes;
    // Runs while a box is "open", as a real box's modal loop would run messages.
    std::function<void()> while_open;

private:
    App::ErrorBox m_previous;
};

} // namespace TestSupport

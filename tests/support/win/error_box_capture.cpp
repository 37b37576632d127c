#include "support/win/error_box_capture.h"

namespace TestSupport {

ErrorBoxCapture::ErrorBoxCapture()
{
    m_previous = App::set_error_box([this](HWND owner, const std::string& text) {
        boxes.push_back({owner, text});
        if (while_open)
            while_open();
    });
}

ErrorBoxCapture::~ErrorBoxCapture()
{
    App::set_error_box(std::move(m_previous));
}

} // namespace TestSupport

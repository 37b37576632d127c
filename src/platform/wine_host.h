#pragma once
// Whether the program runs under Wine, for the few places that need a fallback for
// what Wine does not do as Windows does. Windows only.

namespace Platform {

bool running_under_wine();

} // namespace Platform

#pragma once
// The body of the process entry, apart from WinMain so that tests can drive it.

namespace App {

// Enables heap termination on corruption, initialises COM and calls `run`. Returns
// run's result; after a failure it uninitialises COM, shows the fatal box and returns 1.
int run_process(int (*run)());

} // namespace App

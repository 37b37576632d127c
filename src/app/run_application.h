#pragma once

// Creates the graphics context, opens the start window and runs the message loop;
// returns 0 when the loop ends. Failures propagate to the process entry.
int run_application();

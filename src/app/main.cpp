// The process entry of the GUI program.

#include "app/process_entry.h"
#include "app/run_application.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return App::run_process(run_application);
}

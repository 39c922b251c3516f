// tesmar.exe /service under the service control manager: the dispatcher,
// the service's status as the manager sees it (start pending, running,
// stop pending with its wait hints, stopped), and the stop, shutdown and
// pre-shutdown controls handed to the service's window as MSG_SERVICE_STOP.
// Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

// Posted to the service's window when the manager asks it to stop.
constexpr UINT MSG_SERVICE_STOP = WM_USER + 20;

// The longest a stop may take, and the wait hint given with each step of
// it: the manager waits that long for the next.
constexpr DWORD kStopWaitHintMs = 3000;

// Runs the service's dispatcher until the service has stopped; 1 when the
// program was not started by the service control manager.
int RunServiceDispatcher();

// The window that gets MSG_SERVICE_STOP (a stop asked for before it is
// there is posted once it is).
void SetServiceWindow(HWND window);

// Tells the manager the service runs and takes the stop controls.
void ReportServiceRunning();
// Another step of the stop done: stop pending, the checkpoint moved on.
void ReportStopProgress();

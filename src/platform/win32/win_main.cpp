// The entry of the Windows program: a GUI-subsystem program, so no console
// window appears. It reads no command line; the job runs in the application
// object's start-up hook, and its run loop ends at once because the program
// has no main window.

#include "app/quendrix_app.h"
#include "platform/win32/win32_platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  quendrix::CQuendrixApp app(quendrix::SystemPlatform());
  app.RunConversion();
  return app.Run();
}

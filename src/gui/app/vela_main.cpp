// vela.exe [--device usb|usb:PATH|sim|tcp:HOST:PORT|file:PATH | SCENE.lub] [--token-file FILE]
//          [--update-host HOST[:PORT]] [--screenshots DIR [--screenshot-timeout SECONDS]]
#include <windows.h>

#include "gui/app/vela_app_win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR command_line, int) {
    vela::CZR305M2App app;
    return app.Run(command_line ? command_line : L"");
}

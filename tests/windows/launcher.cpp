// Runs the game on this console and ends with its exit status, for the
// Windows end-to-end test under Wine. Wine's console reads keys from its
// terminal only once a program reads or peeks console input, which the game's
// _kbhit does not do (a Windows console host reads the keyboard by itself):
// one peek here starts that reading. The game must leave the input mode as
// it found it (line input and echo back, its own window and escape-sequence
// input gone), but for mouse input, which the restore turns off: otherwise
// the status is 100 more than the game's.
// Usage: launcher.exe GAME.exe
#include <process.h>
#include <windows.h>

int main(int argc, char** argv) {
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    INPUT_RECORD record;
    DWORD count = 0, found = 0, now = 0;
    if (argc != 2 || !PeekConsoleInputW(in, &record, 1, &count) || !GetConsoleMode(in, &found))
        return 2;
    // Ctrl+C (0) and Ctrl+Break (1) are the game's to handle: here they do
    // nothing, so the status is the game's.
    SetConsoleCtrlHandler([](DWORD event) -> BOOL { return event <= CTRL_BREAK_EVENT; }, TRUE);
    const int status = static_cast<int>(_spawnl(_P_WAIT, argv[1], argv[1], nullptr));
    return GetConsoleMode(in, &now) && now == (found & ~ENABLE_MOUSE_INPUT) ? status : 100 + status;
}

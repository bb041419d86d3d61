// The floor under an idle tick's CPU time, for make profile: a loop that
// makes only the two calls an idle pass of the game makes on Linux - a wait on
// the terminal and a pipe that ends 100 ms later, and one write of about an
// incremental frame's size - and nothing else. What a pass of it costs is the
// system's share of the game's pass. It ends at a key or when the terminal
// goes away. Usage: idle_floor [BYTES]   (110 by default)
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <string>

int main(int argc, char** argv) {
    const std::size_t bytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 110;
    const std::string frame = "\x1b[H" + std::string(bytes > 3 ? bytes - 3 : 0, '.');
    const int tty = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    int wake[2];
    if (tty < 0 || pipe(wake) != 0) return 1;
    for (;;) {
        pollfd fds[2] = {{tty, POLLIN, 0}, {wake[0], POLLIN, 0}};
        const timespec tick{0, 100'000'000};
        if (ppoll(fds, 2, &tick, nullptr) != 0) return 0;
        if (write(STDOUT_FILENO, frame.data(), frame.size()) < 0) return 0;
    }
}

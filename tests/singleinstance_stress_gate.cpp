// Holds a program back until a whole group of them can start together.
//
//     singleinstance_stress_gate <fifo> <program> [arguments...]
//
// Opens the FIFO for reading, prints "ready", waits until no writer is left on
// it and then replaces itself with the program. The test keeps the only
// writer open while it starts the group, so closing it releases every gate
// at the same moment.

#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <fifo> <program> [arguments...]\n", argv[0]);
        return 2;
    }
    const int fifo = ::open(argv[1], O_RDONLY | O_CLOEXEC);
    if (fifo < 0) {
        std::perror(argv[1]);
        return 2;
    }
    std::puts("ready");
    std::fflush(stdout);

    char byte = 0;
    while (::read(fifo, &byte, 1) > 0) {
    }
    ::close(fifo);

    ::execv(argv[2], argv + 2);
    std::perror(argv[2]);
    return 127;
}

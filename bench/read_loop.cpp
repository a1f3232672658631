// The floor of a whole-process run: a bare read() loop over a file, in
// chunks of the listing's long reads, that makes and writes nothing.
// usage: read_loop FILE
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "listing/list_checksums.hpp"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: read_loop FILE\n", stderr);
        return 2;
    }
    const int fd = open(argv[1], O_RDONLY);
    if (fd < 0) {
        std::perror(argv[1]);
        return 1;
    }
    // Static, as the tool's first buffers are: a page is touched only when
    // read into.
    alignas(4096) static char chunk[vantrel::LONG_READ_BYTES];
    ssize_t n = 0;
    while ((n = read(fd, chunk, sizeof chunk)) > 0) {
    }
    if (n < 0)
        std::perror(argv[1]);
    return n < 0 || close(fd) != 0 ? 1 : 0;
}

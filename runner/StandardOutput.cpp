// Writing standard output with its failure seen: the flush is where a redirection to a full
// disk fails, so it is part of every print.
#include "runner/StandardOutput.h"

#include <cerrno>
#include <cstdio>

void PrintToStandardOutput(std::string_view text) {
    errno = 0;
    const std::size_t written = std::fwrite(text.data(), 1, text.size(), stdout);
    if (written != text.size() || std::fflush(stdout) != 0 || std::ferror(stdout)) {
        const int error = errno != 0 ? errno : EIO;
        std::clearerr(stdout);
        throw StandardOutputError(error);
    }
}

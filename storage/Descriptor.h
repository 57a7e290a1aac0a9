// The one owner of a file descriptor in the file code: it closes the descriptor when it goes,
// or earlier through Close(), which reports the close's own failure.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <utility>

class Descriptor {
  public:
    Descriptor() = default;
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        const int error = errno;  // a failure being reported keeps its errno
        Close();
        errno = error;
    }
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other) {
            Close();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

    /// Closes now: 0, or -1 with errno. The descriptor is gone either way.
    int Close() {
        if (fd_ < 0) return 0;
        return ::close(std::exchange(fd_, -1));
    }

  private:
    int fd_ = -1;
};

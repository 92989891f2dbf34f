#include "addin/core/LogFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kavex::addin::core {

LogFile::~LogFile() {
    close();
}

bool LogFile::append(const std::string& path, std::string_view text) {
    std::lock_guard lock(mutex_);
    if (!stillCurrent(path)) {
        close();
        fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ < 0) {
            return false;
        }
        path_ = path;
    }
    // O_APPEND puts every write at the end, also when another program appends meanwhile.
    while (!text.empty()) {
        const ssize_t written = ::write(fd_, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            close();
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The open file is still the one to write: the same path, and the file found at that path is the
// one open (the same device and inode). A log removed, renamed or replaced since it was opened is
// not: its lines would go where nobody looks for them, so the next line opens the file at the
// path, as a log opened for each line would. A stat and an fstat a line; reopening for every line
// cost more than the rest of the logging.
bool LogFile::stillCurrent(const std::string& path) const {
    if (fd_ < 0 || path != path_) {
        return false;
    }
    struct stat atPath {};
    struct stat open {};
    return ::stat(path.c_str(), &atPath) == 0 && ::fstat(fd_, &open) == 0 &&
           atPath.st_dev == open.st_dev && atPath.st_ino == open.st_ino;
}

void LogFile::close() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = -1;
    path_.clear();
}

}  // namespace kavex::addin::core

#include "game/flow/data_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

constexpr mode_t kNewFileMode = 0666;  // narrowed by the user's umask

// Closes a descriptor when it goes out of scope.
class OpenFile {
public:
    explicit OpenFile(int fd) : fd_(fd) {}
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile() { close(); }

    int fd() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }

    // Returns false when the system reports an error on closing (a late write failure).
    bool close() {
        if (fd_ < 0) {
            return true;
        }
        int result = ::close(fd_);
        fd_ = -1;
        return result == 0;
    }

private:
    int fd_;
};

bool isPlainFile(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

bool writeAll(const FileReplaceSteps& steps, int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        long written = steps.write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Makes the rename itself durable; a failure here leaves a complete file either way.
void syncWorkingDirectory(const FileReplaceSteps& steps) {
    OpenFile directory(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.isOpen()) {
        steps.fsync(directory.fd());
    }
}

bool writeNewFile(const std::string& newName, std::string_view contents,
                  const FileReplaceSteps& steps) {
    OpenFile file(::open(newName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kNewFileMode));
    if (!file.isOpen()) {
        return false;
    }
    bool complete = writeAll(steps, file.fd(), contents) && steps.fsync(file.fd()) == 0;
    return file.close() && complete;
}

}  // namespace

std::optional<std::string> readDataFile(const char* fileName) {
    // Non-blocking, so that a pipe put in the file's place cannot stall start-up.
    OpenFile file(::open(fileName, O_RDONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, kNewFileMode));
    if (!file.isOpen() || !isPlainFile(file.fd())) {
        return std::nullopt;
    }
    std::string contents;
    char chunk[4096];
    while (contents.size() < kMaxDataFileBytes) {
        long count = ::read(file.fd(), chunk, sizeof chunk);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break;
        }
        contents.append(chunk, static_cast<std::size_t>(count));
    }
    if (contents.size() > kMaxDataFileBytes) {
        contents.resize(kMaxDataFileBytes);
    }
    return contents;
}

FileReplaceSteps systemFileSteps() {
    return FileReplaceSteps{
        [](int fd, const char* bytes, std::size_t count) -> long {
            return ::write(fd, bytes, count);
        },
        [](int fd) { return ::fsync(fd); },
        [](const char* from, const char* to) { return std::rename(from, to); },
    };
}

std::string replacementFileName(const char* fileName) {
    return std::string(fileName) + ".new";
}

bool replaceDataFile(const char* fileName, std::string_view contents,
                     const FileReplaceSteps& steps) {
    std::string newName = replacementFileName(fileName);
    if (!writeNewFile(newName, contents, steps) || steps.rename(newName.c_str(), fileName) != 0) {
        ::unlink(newName.c_str());
        return false;
    }
    syncWorkingDirectory(steps);
    return true;
}

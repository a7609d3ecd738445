#include "game/flow/data_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

namespace {

std::string& playerDataFolder() {
    static std::string folder;
    return folder;
}

constexpr mode_t kNewFileMode = 0666;  // narrowed by the user's umask
constexpr mode_t kPermissionBits = 07777;
constexpr int kMostLinksFollowed = 40;  // as many as the system follows when opening
// Each try after the first follows another copy of the game replacing the file while this one
// waited for the lock; a handful cannot all lose.
constexpr int kMostLockTries = 16;

// Closes a descriptor when it goes out of scope.
class OpenFile {
public:
    explicit OpenFile(int fd) : fd_(fd) {}
    OpenFile(OpenFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
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

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file's contents from its start, at most kMaxDataFileBytes.
std::string readAll(int fd) {
    std::string contents;
    char chunk[4096];
    while (contents.size() < kMaxDataFileBytes) {
        long count = ::read(fd, chunk, sizeof chunk);
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
void syncFolder(const std::string& folder, const FileReplaceSteps& steps) {
    OpenFile directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.isOpen()) {
        steps.fsync(directory.fd());
    }
}

int lockWholeFile(int fd) {
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    return result;
}

// The save's target opened for writing (created empty when missing) and locked, with what the
// system says of it. Not open when it may not be written or is no plain file.
OpenFile lockedTarget(const std::string& target, struct stat& info) {
    for (int attempt = 0; attempt < kMostLockTries; ++attempt) {
        // Non-blocking, so that a pipe in the file's place cannot stall the game.
        OpenFile file(
            ::open(target.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_CLOEXEC, kNewFileMode));
        if (!file.isOpen() || ::fstat(file.fd(), &info) != 0 || !S_ISREG(info.st_mode)) {
            return OpenFile(-1);
        }
        // A file system without locks still gets its save, only without the other copies'
        // entries folded in safely.
        const bool locked = lockWholeFile(file.fd()) == 0;
        struct stat now {};
        if (!locked || (::stat(target.c_str(), &now) == 0 && sameFile(now, info))) {
            return file;
        }
    }
    return OpenFile(-1);
}

// Gives the new file the group and permission bits of the file it replaces.
void takeOverAttributes(int fd, const struct stat& info) {
    // Only a group of the user's own can be given; a failure here is not one of the save's.
    [[maybe_unused]] const int grouped = ::fchown(fd, static_cast<uid_t>(-1), info.st_gid);
    ::fchmod(fd, info.st_mode & kPermissionBits);
}

enum class Written { Complete, Failed, FolderNotWritable };

Written writeNewFile(const std::string& newName, std::string_view contents,
                     const struct stat& replaced, const FileReplaceSteps& steps) {
    // A replacement left by a crash, whatever it is (even a link), is not written through.
    ::unlink(newName.c_str());
    OpenFile file(::open(newName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                         kNewFileMode));
    if (!file.isOpen()) {
        return errno == EACCES || errno == EPERM ? Written::FolderNotWritable : Written::Failed;
    }
    takeOverAttributes(file.fd(), replaced);
    bool complete = writeAll(steps, file.fd(), contents) && steps.fsync(file.fd()) == 0;
    return file.close() && complete ? Written::Complete : Written::Failed;
}

// The fall-back where no file can be made beside the target: the truncating write the file
// itself allows.
bool rewriteInPlace(int fd, std::string_view contents, const FileReplaceSteps& steps) {
    return ::ftruncate(fd, 0) == 0 && ::lseek(fd, 0, SEEK_SET) == 0 &&
           writeAll(steps, fd, contents) && steps.fsync(fd) == 0;
}

}  // namespace

std::optional<std::string> readDataFile(const char* fileName) {
    // Non-blocking, so that a pipe put in the file's place cannot stall start-up.
    OpenFile file(::open(fileName, O_RDONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, kNewFileMode));
    if (!file.isOpen() || !isPlainFile(file.fd())) {
        return std::nullopt;
    }
    return readAll(file.fd());
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

std::string linkTarget(const char* fileName) {
    std::string path = fileName;
    for (int followed = 0; followed < kMostLinksFollowed; ++followed) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            break;
        }
        char target[4096];
        const long length = ::readlink(path.c_str(), target, sizeof target);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target) {
            break;
        }
        const std::string named(target, static_cast<std::size_t>(length));
        const std::size_t slash = path.rfind('/');
        path = named.front() == '/' || slash == std::string::npos
                   ? named
                   : path.substr(0, slash + 1) + named;
    }
    return path;
}

std::string replacementFileName(const char* fileName) {
    return linkTarget(fileName) + ".new";
}

bool updateDataFile(const char* fileName, const DataFileUpdate& update,
                    const FileReplaceSteps& steps) {
    const std::string target = linkTarget(fileName);
    struct stat info {};
    OpenFile locked = lockedTarget(target, info);
    if (!locked.isOpen()) {
        return false;
    }
    const std::string contents = update(readAll(locked.fd()));
    const std::string newName = target + ".new";
    switch (writeNewFile(newName, contents, info, steps)) {
        case Written::FolderNotWritable:
            return rewriteInPlace(locked.fd(), contents, steps);
        case Written::Failed:
            ::unlink(newName.c_str());
            return false;
        case Written::Complete:
            break;
    }
    if (steps.rename(newName.c_str(), target.c_str()) != 0) {
        ::unlink(newName.c_str());
        return false;
    }
    syncFolder(folderOf(target), steps);
    return true;
}

bool replaceDataFile(const char* fileName, std::string_view contents,
                     const FileReplaceSteps& steps) {
    return updateDataFile(
        fileName, [contents](std::string_view) { return std::string(contents); }, steps);
}

void setPlayerDataFolder(std::string folder) {
    playerDataFolder() = std::move(folder);
}

std::string playerDataFile(const char* fileName) {
    const std::string& folder = playerDataFolder();
    if (folder.empty()) {
        return fileName;
    }
    return folder.back() == '/' ? folder + fileName : folder + '/' + fileName;
}

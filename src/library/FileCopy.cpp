#include "library/FileCopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/desktop/UserFolders.h"

namespace plimsa {

namespace {

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() { close(); }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FileDescriptor& operator=(FileDescriptor&&) = delete;

    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    bool close() {
        if (fd_ < 0) return true;
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        return closed;
    }

  private:
    int fd_;
};

// Opening without blocking keeps a FIFO from hanging the caller; only regular files are copied.
FileDescriptor openRegularFile(const std::filesystem::path& path) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status {};
    if (!fd.isOpen() || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) return FileDescriptor();
    return fd;
}

bool copyContents(int from, int to) {
    std::vector<char> buffer(256 * 1024);
    for (;;) {
        const ssize_t count = ::read(from, buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return false;
        if (count == 0) return true;
        if (!writeAll(to, {buffer.data(), static_cast<size_t>(count)})) return false;
    }
}

}  // namespace

bool copyFileReplacing(const std::filesystem::path& source, const std::filesystem::path& destination) {
    if (destination.filename().empty()) return false;
    FileDescriptor input = openRegularFile(source);
    if (!input.isOpen()) return false;

    std::string temporary = (destination.parent_path() / ".plimsa-copy-XXXXXX").string();
    FileDescriptor output(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!output.isOpen()) return false;

    const bool copied = copyContents(input.get(), output.get()) && ::fchmod(output.get(), 0644) == 0 &&
                        ::fsync(output.get()) == 0;
    if (output.close() && copied && ::rename(temporary.c_str(), destination.c_str()) == 0) return true;
    ::unlink(temporary.c_str());
    return false;
}

}  // namespace plimsa

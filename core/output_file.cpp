#include "core/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "core/run_error.h"

namespace vantorel {
namespace {

std::string SystemReason(int error) { return std::strerror(error); }

// The real folder of a path on this system, with its trailing "/", or empty.
std::string PosixFolder(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string{} : path.substr(0, slash + 1);
}

std::string PosixName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string RandomSuffix() {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::string suffix(6, 'x');
    for (char& c : suffix) c = kLetters[generator() % (sizeof kLetters - 1)];
    return suffix;
}

class TemporaryOutputFile final : public OutputFile {
public:
    explicit TemporaryOutputFile(const std::string& target) : target_(target) {
        std::string visible = PosixName(target);
        // Keep the temporary name within the usual 255-byte limit of a file name.
        if (visible.size() > 200) visible.resize(200);
        for (int attempt = 0; attempt < 100; ++attempt) {
            temporary_ = PosixFolder(target) + "." + visible + std::string(kUnfinishedMarker) +
                         RandomSuffix();
            descriptor_ =
                ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (descriptor_ >= 0 || errno != EEXIST) break;
        }
        if (descriptor_ < 0) throw RunError("Cannot create file " + target_);
    }

    ~TemporaryOutputFile() override {
        if (descriptor_ >= 0) ::close(descriptor_);
        if (!committed_) ::unlink(temporary_.c_str());
    }

    void Write(std::string_view bytes) override {
        const char* data = bytes.data();
        std::size_t left = bytes.size();
        while (left > 0) {
            const ssize_t written = ::write(descriptor_, data, left);
            if (written < 0) {
                if (errno == EINTR) continue;
                FailWriting(errno);
            }
            if (written == 0) FailWriting(ENOSPC);
            data += written;
            left -= static_cast<std::size_t>(written);
        }
    }

    void Commit() override {
        const int descriptor = descriptor_;
        descriptor_ = -1;
        if (::close(descriptor) != 0) FailWriting(errno);
        if (::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, target_.c_str(),
                        RENAME_NOREPLACE) == 0) {
            committed_ = true;
            return;
        }
        if (errno == EEXIST) throw TargetExists(target_);
        if (errno != EINVAL && errno != ENOSYS)
            throw RunError("Cannot create file " + target_ + ": " + SystemReason(errno));
        // Folders whose file system has no no-replace rename: a hard link never replaces
        // either.
        if (::link(temporary_.c_str(), target_.c_str()) != 0) {
            if (errno == EEXIST) throw TargetExists(target_);
            throw RunError("Cannot create file " + target_ + ": " + SystemReason(errno));
        }
        ::unlink(temporary_.c_str());
        committed_ = true;
    }

private:
    [[noreturn]] void FailWriting(int error) {
        throw RunError("Cannot write file " + target_ + ": " + SystemReason(error));
    }

    std::string target_;
    std::string temporary_;
    int descriptor_ = -1;
    bool committed_ = false;
};

}  // namespace

std::unique_ptr<OutputFile> CreateOutputFile(const std::string& path) {
    return std::make_unique<TemporaryOutputFile>(path);
}

}  // namespace vantorel

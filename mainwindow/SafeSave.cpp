#include "mainwindow/SafeSave.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "mainwindow/FileError.h"

namespace ravx {

namespace {

constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as for any new file
constexpr mode_t kPermissionBits = 07777;
constexpr int kNameAttempts = 16;
constexpr const char* kTemporaryTag = ".~ravx";

// The target's own permission bits survive the replacement; a new file gets
// the usual ones.
void KeepPermissions(int fd, const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        ::fchmod(fd, st.st_mode & kPermissionBits);
}

// Creates a temporary file in the target's folder (a rename cannot cross
// file systems), with a name nobody else holds.
std::string CreateTemporary(const std::string& path)
{
    static std::minstd_rand random{std::random_device{}()};
    int lastError = EEXIST;
    for (int attempt = 0; attempt < kNameAttempts && lastError == EEXIST; ++attempt) {
        std::string name = path + kTemporaryTag + std::to_string(random());
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (fd >= 0) {
            KeepPermissions(fd, path);
            ::close(fd);
            return name;
        }
        lastError = errno;
    }
    throw FileErrorFromErrno(lastError);
}

// A folder in the target's place would otherwise be replaced only when it is
// empty, and a rename would silently put a file there.
void RefuseFolder(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        throw FileErrorFromErrno(EISDIR);
}

// A name that is a symbolic link (a student's link to a shared folder, say)
// is saved through: the file it points to is replaced, the link stays. A link
// to a file not yet there creates that file. Relative links count from the
// link's own folder.
std::string FollowLinks(const std::string& path)
{
    constexpr int kMaxLinks = 40;  // as the kernel allows in one lookup
    std::filesystem::path current(path);
    for (int hops = 0; hops < kMaxLinks; ++hops) {
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(current, error)))
            return current.string();
        const std::filesystem::path target = std::filesystem::read_symlink(current, error);
        if (error)
            throw FileErrorFromErrno(error.value());
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    throw FileErrorFromErrno(ELOOP);
}

void WriteAndClose(const std::string& name, const std::function<void(std::ostream&)>& write)
{
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    if (!out)
        throw FileErrorFromErrno(errno ? errno : EIO);
    write(out);
    CloseOutputFile(out);
}

// The data must be on the disk before the name points at them, or a crash
// right after the rename could leave an empty file where the old one was.
void SyncToDisk(const std::string& name)
{
    int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw FileErrorFromErrno(errno);
    const bool synced = ::fsync(fd) == 0;
    const int err = errno;
    ::close(fd);
    if (!synced)
        throw FileErrorFromErrno(err);
}

}  // namespace

void SaveReplacing(const std::string& name, const std::function<void(std::ostream&)>& write)
{
    const std::string path = FollowLinks(name);
    RefuseFolder(path);
    const std::string temporary = CreateTemporary(path);
    try {
        WriteAndClose(temporary, write);
        SyncToDisk(temporary);
        if (::rename(temporary.c_str(), path.c_str()) != 0)
            throw FileErrorFromErrno(errno);
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
}

}  // namespace ravx

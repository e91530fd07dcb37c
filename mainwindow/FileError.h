// Errors of the file commands. The texts are the ones the message box shows,
// so users of the old program see the messages they know.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <fstream>
#include <stdexcept>
#include <string>

namespace ravx {

class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* kErrorFileNotFound = "File not found";
inline constexpr const char* kErrorAccessDenied = "File access denied";
inline constexpr const char* kErrorReadBeyondEnd = "Read beyond end of file";
inline constexpr const char* kErrorInvalidNumber = "Invalid numeric input";
inline constexpr const char* kErrorDiskWrite = "Disk write error";
inline constexpr const char* kErrorDiskFull = "Disk full";

inline FileError FileErrorFromErrno(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR: return FileError(kErrorFileNotFound);
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:  // a folder where a file was asked for, as the old system answered
        return FileError(kErrorAccessDenied);
    case ENOSPC:
    case EDQUOT: return FileError(kErrorDiskFull);
    default: return FileError("I/O error " + std::to_string(err));
    }
}

// The file streams do not say why an open failed; a plain open() first does,
// and a folder, which opens fine for reading, is refused here rather than
// failing later as an empty file.
inline void ProbeOpen(const std::string& path, int flags)
{
    constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as for any new file
    int fd = ::open(path.c_str(), flags | O_CLOEXEC, kNewFileMode);
    if (fd < 0)
        throw FileErrorFromErrno(errno);
    struct stat st {};
    bool isFolder = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
    ::close(fd);
    if (isFolder)
        throw FileErrorFromErrno(EISDIR);
}

inline std::ifstream OpenInputFile(const std::string& path)
{
    ProbeOpen(path, O_RDONLY);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw FileErrorFromErrno(errno ? errno : EIO);
    return in;
}

inline std::ofstream OpenOutputFile(const std::string& path)
{
    ProbeOpen(path, O_WRONLY | O_CREAT);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        throw FileErrorFromErrno(errno ? errno : EIO);
    return out;
}

// Flushes and checks that everything reached the file.
inline void CloseOutputFile(std::ofstream& out)
{
    out.close();
    if (!out)
        throw FileError(kErrorDiskWrite);
}

}  // namespace ravx

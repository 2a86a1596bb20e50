#include "banner/TempFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace banner {

QString TempFolder()
{
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::tempPath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

namespace {

bool SameFile(int a, int b)
{
    struct stat first {}, second {};
    return fstat(a, &first) == 0 && fstat(b, &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

} // namespace

std::unique_ptr<QFile> CreateTempFile(const QString& folder)
{
    QString pattern = folder;
    if (!pattern.endsWith(QLatin1Char('/')))
        pattern += QLatin1Char('/');
    QByteArray path = QFile::encodeName(pattern + QLatin1String(TempPrefix) + QLatin1String("XXXXXX"));
    // mkostemp draws the name from the system's random source and creates the file
    // with O_EXCL and mode 0600.
    const int fd = mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    // A QFile opened on a descriptor forgets its name, and the name is needed to
    // delete the file; so the name is opened again and must still be this file.
    auto file = std::make_unique<QFile>(QFile::decodeName(path));
    const bool same = file->open(QIODevice::ReadWrite | QIODevice::ExistingOnly) && SameFile(fd, file->handle());
    ::close(fd);
    if (!same) {
        file->close();
        return nullptr;
    }
    return file;
}

void RemoveStaleTempFiles(const QString& folder, std::int64_t now)
{
    const int dirFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return;
    DIR* dir = fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return;
    }
    const uid_t user = geteuid();
    while (const dirent* entry = readdir(dir)) {
        if (std::string_view(entry->d_name).substr(0, std::strlen(TempPrefix)) != TempPrefix)
            continue;
        struct stat info {};
        if (fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISREG(info.st_mode) && info.st_uid == user && info.st_mtime < now - StaleAfterSeconds)
            unlinkat(dirFd, entry->d_name, 0);
    }
    closedir(dir);
}

} // namespace banner

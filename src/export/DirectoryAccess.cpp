#include "DirectoryAccess.h"

#include "FileNames.h"
#include "ImageFileNaming.h"

#include <QDir>
#include <QFile>

#include <cstdlib>
#include <unistd.h>

bool IsDirectoryWritable(const QString& directory)
{
    if (directory.isEmpty())
        return false;
    QString pattern = directory;
    if (!pattern.endsWith(QLatin1Char('/')))
        pattern += QLatin1Char('/');
    pattern += QStringLiteral("$XXXXXX");
    QByteArray path = QFile::encodeName(pattern);
    const int fd = mkstemp(path.data());
    if (fd < 0)
        return false;
    close(fd);
    return unlink(path.constData()) == 0;
}

QString ImageTargetDirectory(const QString& loopDirectory)
{
    const QString folder = FolderPart(loopDirectory);
    if (IsDirectoryWritable(folder))
        return folder;
    QString current = QDir::currentPath();
    // A working directory that was deleted has no path; appending '/' to nothing would
    // aim the images at the file-system root.
    if (current.isEmpty())
        return QString();
    if (!current.endsWith(QLatin1Char('/')))
        current += QLatin1Char('/');
    return current;
}

#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Files meant to replace files of a directory all together, as far as a file system
// allows: they are written into a hidden directory inside the target directory (so
// renaming is atomic and never copies), then renamed into place one by one. A reader
// of the target directory sees each file either old or complete and new, never half
// written. Publications into one directory from several processes take turns under a
// lock of the directory, so the files published together stay together.
class StagedFiles
{
public:
    // target: an existing, writable directory, ending in '/'.
    explicit StagedFiles(const QString& target);
    ~StagedFiles();
    StagedFiles(const StagedFiles&) = delete;
    StagedFiles& operator=(const StagedFiles&) = delete;

    // False when the hidden directory could not be made.
    bool IsValid() const { return staging_.isValid(); }
    // Where to write the files, ending in '/'.
    QString StagingDirectory() const;

    // Renames the staged files of these names (without directory) into the target, in
    // this order, so the one that ties them together (a page) goes last. Each gets the
    // permissions of a newly created file (0666 less the umask) rather than the private
    // ones of the staging directory's files, so that a web server can read them. Stops at
    // the first failure. Returns the full names now in the target directory.
    QStringList Publish(const QStringList& names);

    // Staging directories that a killed run left behind, older than an hour, are removed
    // by the next publication; the prefix of their names.
    static QString StagingPrefix();

private:
    void RemoveAbandonedStaging() const;

    QString target_;
    QTemporaryDir staging_;
};

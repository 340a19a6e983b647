#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

// A private temporary directory for fuzz targets whose parser takes a file name. Made
// once per process under $TMPDIR and removed when the process ends normally.
class FuzzScratchDirectory
{
public:
    // The process's directory, made on first use.
    static FuzzScratchDirectory& Instance();

    // Writes the bytes to fileName inside the directory (replacing it) and returns the
    // full path.
    QString Write(const QString& fileName, const std::uint8_t* data, std::size_t size) const;
    QString Path() const { return path_; }

    ~FuzzScratchDirectory();
    FuzzScratchDirectory(const FuzzScratchDirectory&) = delete;
    FuzzScratchDirectory& operator=(const FuzzScratchDirectory&) = delete;

private:
    FuzzScratchDirectory();
    QString path_;
};

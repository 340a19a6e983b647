#include "IngestTestFiles.h"

#include "StatisticsDirectoryWriter.h"

#include <QFile>

#include <zip.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

void WriteBytes(const QString& path, std::string_view bytes)
{
    WritePlainFile(QFile::encodeName(path).toStdString(), bytes);
}

std::string ReadBytes(const QString& path)
{
    std::ifstream file(QFile::encodeName(path).toStdString(), std::ios::binary);
    std::ostringstream out;
    out << file.rdbuf();
    return out.str();
}

std::string GzipBytes(std::string_view data)
{
    return GzipCompressed(data);
}

void WriteZip(const QString& path, const std::vector<std::pair<std::string, std::string>>& entries)
{
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(archive, nullptr);
    for (const auto& [name, content] : entries) {
        zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
        ASSERT_NE(source, nullptr);
        ASSERT_GE(zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8), 0);
    }
    // The buffers are read when the archive is written, so they must outlive this call.
    ASSERT_EQ(zip_close(archive), 0);
}

std::string LoopLines(int n, int mjd)
{
    std::string text;
    for (int i = 0; i < n; ++i)
        text += std::to_string(mjd) + " " + std::to_string(i * 60) + ".000 0.000010 -15.000 0.000020 0.001 6\n";
    return text;
}

std::string PeerLines(int n, int mjd)
{
    std::string text;
    for (int i = 0; i < n; ++i)
        text += std::to_string(mjd) + " " + std::to_string(i * 60)
            + ".125 192.168.1.10 9424 0.000012 0.000250 0.001 0.0001\n";
    return text;
}

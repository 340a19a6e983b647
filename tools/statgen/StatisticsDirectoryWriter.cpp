#include "StatisticsDirectoryWriter.h"

#include "StatisticsGenerator.h"

#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

std::string GzipCompressed(std::string_view data)
{
    z_stream z {};
    // windowBits 15 + 16: zlib writes the gzip header and trailer itself.
    if (deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("cannot start deflate");
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&z, Z_FINISH);
    const std::size_t written = out.size() - z.avail_out;
    deflateEnd(&z);
    if (result != Z_STREAM_END)
        throw std::runtime_error("deflate failed");
    out.resize(written);
    return out;
}

void WritePlainFile(const std::string& path, std::string_view data)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(data.data(), static_cast<std::streamsize>(data.size()));
    file.close();
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

void WriteGzipFile(const std::string& path, std::string_view data)
{
    WritePlainFile(path, GzipCompressed(data));
}

std::vector<std::string> WriteStatisticsDirectory(const std::string& directory, const StatGenParams& params)
{
    std::filesystem::create_directories(directory);
    std::vector<std::string> written;
    StatisticsGenerator generator(params);
    for (int index = 0; !generator.atEnd(); ++index) {
        const StatisticsGenerator::Day day = generator.nextDay();
        const bool gzip = params.gzipDays.count(index) > 0;
        const std::string suffix = DateTextFromMjd(day.mjd) + (gzip ? ".gz" : "");
        for (const auto& [kind, text] : { std::pair<const char*, const std::string*> { "loopstats.", &day.loopText },
                 std::pair<const char*, const std::string*> { "peerstats.", &day.peerText } }) {
            const std::string path = (std::filesystem::path(directory) / (kind + suffix)).string();
            if (gzip)
                WriteGzipFile(path, *text);
            else
                WritePlainFile(path, *text);
            written.push_back(path);
        }
    }
    return written;
}

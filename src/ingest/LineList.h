#pragma once

#include <QString>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// An ordered list of text lines, without line ends, held as slices of shared text
// buffers (UTF-8) so that a year of statistics is not one heap string per line.
// Copying a LineList or appending one to another shares the buffers.
class LineList
{
public:
    std::size_t size() const { return lines_.size(); }
    bool empty() const { return lines_.empty(); }
    std::string_view operator[](std::size_t i) const { return lines_[i]; }
    std::string_view back() const { return lines_.back(); }
    auto begin() const { return lines_.begin(); }
    auto end() const { return lines_.end(); }

    void clear();
    // Keeps the first count lines (all when there are fewer) and lets go of the buffers
    // that only the dropped lines used.
    void truncate(std::size_t count);
    // Appends every line of other, after this list's lines.
    void append(const LineList& other);
    // Appends a copy of one line (tests and small callers).
    void appendLine(std::string_view line);
    // Takes ownership of a decoded text buffer and appends its lines (split at CR LF,
    // lone LF and lone CR; a last line without a line end is a line).
    void appendText(std::string&& utf8Text);
    // The line as a QString, for display.
    QString text(std::size_t i) const;

private:
    std::vector<std::shared_ptr<const std::string>> buffers_;
    std::vector<std::string_view> lines_;
};

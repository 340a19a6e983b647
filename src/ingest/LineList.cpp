#include "LineList.h"

#include <cstring>

void LineList::clear()
{
    lines_.clear();
    buffers_.clear();
}

void LineList::truncate(std::size_t count)
{
    if (count >= lines_.size())
        return;
    lines_.resize(count);
    if (lines_.empty()) {
        buffers_.clear();
        return;
    }
    // Lines come in the order of their buffers, so the buffers past the one holding the
    // last line kept hold dropped lines only.
    const std::string_view last = lines_.back();
    const auto holdsLast = [&](const std::string& buffer) {
        return last.data() >= buffer.data() && last.data() + last.size() <= buffer.data() + buffer.size();
    };
    while (!buffers_.empty() && !holdsLast(*buffers_.back()))
        buffers_.pop_back();
}

void LineList::append(const LineList& other)
{
    if (&other == this) {
        // Appending a list to itself doubles it; copy the views first so the
        // iteration does not run over the slots it is adding.
        const LineList copy = other;
        append(copy);
        return;
    }
    buffers_.insert(buffers_.end(), other.buffers_.begin(), other.buffers_.end());
    lines_.insert(lines_.end(), other.lines_.begin(), other.lines_.end());
}

void LineList::appendLine(std::string_view line)
{
    auto buffer = std::make_shared<const std::string>(line);
    lines_.emplace_back(*buffer);
    buffers_.push_back(std::move(buffer));
}

void LineList::appendText(std::string&& utf8Text)
{
    if (utf8Text.empty())
        return;
    auto buffer = std::make_shared<const std::string>(std::move(utf8Text));
    const char* const begin = buffer->data();
    const char* const end = begin + buffer->size();

    const std::size_t size = buffer->size();
    const bool hasCr = std::memchr(begin, '\r', size) != nullptr;

    // Room for lines of typical length; the views grow on their own past that. (Counting
    // the lines first would cost a whole pass over the text.)
    lines_.reserve(lines_.size() + size / 64 + 1);

    const char* lineStart = begin;
    const char* p = begin;
    while (p < end) {
        const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
        const char* stop = lf ? static_cast<const char*>(lf) : end;
        if (hasCr) {
            // A CR before the LF ends the line earlier.
            if (const void* cr = std::memchr(p, '\r', static_cast<std::size_t>(stop - p)))
                stop = static_cast<const char*>(cr);
        }
        if (stop == end) {
            lines_.emplace_back(lineStart, static_cast<std::size_t>(end - lineStart));
            break;
        }
        lines_.emplace_back(lineStart, static_cast<std::size_t>(stop - lineStart));
        p = stop + 1;
        if (*stop == '\r' && p < end && *p == '\n')
            ++p;
        lineStart = p;
    }
    buffers_.push_back(std::move(buffer));
}

QString LineList::text(std::size_t i) const
{
    const std::string_view line = lines_[i];
    return QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
}

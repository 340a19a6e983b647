#pragma once

#include <QString>

struct ReportPage;

// The page as HTML5: a header (site, time made, period, files read), a list of contents,
// the Analysis summary, a section per chart with its image, words and data link, the
// peer table and a glossary. One file with its style sheet inside; no script, no font or
// anything else fetched from elsewhere. Colours follow the reader's light or dark
// preference; images scale down to a narrow screen.
QString ReportHtml(const ReportPage& page);

// Text made safe for HTML content and attribute values: & < > " ' replaced by
// references.
QString HtmlEscaped(const QString& text);

// A file name as a relative link: each character a URL path may not hold as it is
// written percent-encoded (UTF-8), so that "#", "?", "%" and blanks stay part of the name.
QString RelativeLink(const QString& fileName);

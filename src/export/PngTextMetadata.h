#pragma once

#include <QString>

// The four text chunks written into every PNG, keyed by their PNG keywords.
struct PngTextMetadata
{
    QString Author;
    QString Title;
    QString Software;
    QString Description;
};

#pragma once

#include <QString>

// Window captions; the main window only sets them.

// "Tallimer V<version> - <folder>  up to: <yyyy-mmm-dd hh:nn ><zoneLabel>", for a
// directory or a list of files. folder ends in a path separator or is empty.
QString ListCaption(const QString& version, const QString& folder, double latestTime, const QString& zoneLabel);

// "Tallimer:  <file>  up to: <yyyy-mmm-dd hh:nn ><zoneLabel>", for a single file.
QString SingleFileCaption(const QString& fileName, double latestTime, const QString& zoneLabel);

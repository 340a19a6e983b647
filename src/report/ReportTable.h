#pragma once

#include <QStringList>

#include <vector>

// A table as the report shows it: a header row and rows of cells, all plain text (the
// page escapes them). The first column is a name and left-aligned; the other columns
// hold numbers and are right-aligned.
struct ReportTable
{
    QStringList Headers;
    std::vector<QStringList> Rows;
};

#pragma once

#include <QString>
#include <QStringList>

// What the command line asks the start-up load to read.
//  - no argument: the current directory, as a path;
//  - one argument: that path, even when it starts with "-" (a directory may be named so);
//  - two or more: a list of names, in which "-N" is an option that sets the number of
//    peer days from the one character N (non-digit or missing: 0; "-12" gives 1).
struct StartupCommand
{
    bool IsList = false;
    QString Path; // when !IsList
    QStringList Files; // when IsList, in command-line order
    int PeerDays = 0;
};

// args: the arguments after the program name.
StartupCommand ParseCommandLine(const QStringList& args);

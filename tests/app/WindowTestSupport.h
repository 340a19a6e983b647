#pragma once

// What the tests of the real main window share: a window whose questions to the user
// the test answers, statistics text of one day, and the start of a window on a command
// line.
#include "TFormTallimer.h"
#include "TRegistryBoolean.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <utility>

// The window with its two questions to the user answered by the test.
class TestForm : public TFormTallimer
{
public:
    using TFormTallimer::TFormTallimer;

    QStringList FilesToChoose;
    int DialogCount = 0;
    QStringList Messages;
    // Runs while a message is "open", as a timer tick would.
    std::function<void()> WhileMessageOpen;

protected:
    QStringList AskForStatisticsFiles() override
    {
        ++DialogCount;
        return FilesToChoose;
    }
    void ShowMessage(const QString& text) override
    {
        Messages.append(text);
        if (auto hook = std::exchange(WhileMessageOpen, nullptr))
            hook();
    }
};

// Loop records every 64 s on the day `mjd`, the last at `lastSecond` UTC; offsets of a
// few microseconds.
inline QByteArray LoopText(int mjd, int lastSecond = 43200)
{
    QByteArray text;
    for (int second = lastSecond - 64 * 40; second <= lastSecond; second += 64)
        text += QByteArray::number(mjd) + ' ' + QByteArray::number(second) + ".000 0.000012 -12.345 0.000050 0.001 6\n";
    return text;
}

// Two peers every 1024 s on the day `mjd`, up to `lastSecond` UTC.
inline QByteArray PeerText(int mjd, int lastSecond = 43200)
{
    QByteArray text;
    for (int second = 0; second <= lastSecond; second += 1024) {
        text += QByteArray::number(mjd) + ' ' + QByteArray::number(second)
            + ".5 192.168.0.5 9614 0.0012 0.0300 0.0020 0.0004\n";
        text += QByteArray::number(mjd) + ' ' + QByteArray::number(second)
            + ".7 203.0.113.9 9414 -0.0031 0.0420 0.0051 0.0009\n";
    }
    return text;
}

// Writes a file (its folder made first) and gives its path.
inline QString WriteTestFile(const QString& directory, const QString& name, const QByteArray& content)
{
    QDir().mkpath(directory);
    const QString path = QDir(directory).filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    return path;
}

// Stores a check box's setting as a run of the program would have left it.
inline void StoreBoolean(const char* name, bool value)
{
    TRegistryBoolean setting(QLatin1String(name), !value);
    setting.Value = value;
    setting.Save();
}

inline void UseZone(const char* zone)
{
    setenv("TZ", zone, 1);
    tzset();
}

// Shows a window on the command line and waits for its start-up load.
inline std::unique_ptr<TestForm> StartTestForm(const QStringList& arguments, const QStringList& dialogAnswer = {})
{
    auto form = std::make_unique<TestForm>(arguments);
    form->FilesToChoose = dialogAnswer;
    QSignalSpy loaded(form.get(), &TFormTallimer::StartupLoadFinished);
    form->show();
    EXPECT_TRUE(loaded.wait(5000));
    return form;
}

// A run without a display writes its files from the statistics document under a plain
// GUI application: were any widget made, the toolkit would stop the process, since
// widgets need the widget application this run never creates.
#include "HeadlessRun.h"
#include "LongOptions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

TEST(HeadlessWithoutWidgets, SavesImagesAndDataUnderAGuiApplicationOnly)
{
    QTemporaryDir config;
    QTemporaryDir images;
    QTemporaryDir csv;
    ASSERT_TRUE(config.isValid() && images.isValid() && csv.isValid());
    setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    setenv("TZ", "UTC", 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    ASSERT_EQ(QCoreApplication::instance(), nullptr);

    const LongOptions options = ParseLongOptions({ QStringLiteral("--save-images"), images.path(),
        QStringLiteral("--export-csv"), csv.path(), QStringLiteral(TALLIMER_SOURCE_DIR "/examples") });
    ASSERT_EQ(options.Action, LongOptions::Outcome::Headless);
    char name[] = "tallimer";
    EXPECT_EQ(RunHeadless(options, name), 0);
    EXPECT_EQ(QDir(images.path()).entryList(QDir::Files).size(), 14);
    EXPECT_EQ(QDir(csv.path()).entryList(QDir::Files).size(), 15);
    // The user's store is neither read into a window nor written.
    EXPECT_TRUE(QDir(config.path()).isEmpty());
}

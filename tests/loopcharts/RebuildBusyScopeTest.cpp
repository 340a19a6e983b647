#include "RebuildBusyScope.h"

#include <QCursor>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/resource.h>

namespace {

int Nice()
{
    errno = 0;
    return getpriority(PRIO_PROCESS, 0);
}

TEST(RebuildBusyScope, ShowsTheHourglassAndPutsCursorAndPriorityBack)
{
    const int before = Nice();
    {
        TRebuildBusyScope busy;
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        // Lowered only where it can be raised again; never raised above what it was.
        EXPECT_GE(Nice(), before);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Nice(), before);
}

} // namespace

#include "ConfigHome.h"
#include "RegistryStore.h"
#include "TRegistryFormInfo.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

void StorePlacement(std::uint32_t state, int left, int top, int clientWidth, int clientHeight)
{
    const auto put = [](const char* name, std::uint32_t v) {
        RegistryStore::Write(ConfigHome::kKey, QString::fromLatin1(name), RegistryValue::Dword(v));
    };
    put("FormState", state);
    put("FormLeft", static_cast<std::uint32_t>(left));
    put("FormTop", static_cast<std::uint32_t>(top));
    put("FormClientWidth", static_cast<std::uint32_t>(clientWidth));
    put("FormClientHeight", static_cast<std::uint32_t>(clientHeight));
}

std::int32_t StoredInt(const char* name)
{
    const auto v = RegistryStore::Read(ConfigHome::kKey, QString::fromLatin1(name));
    return v ? static_cast<std::int32_t>(v->dword) : INT32_MIN;
}

class FormPlacement : public ::testing::Test
{
protected:
    FormPlacement()
    {
        window.setMinimumSize(400, 300);
        window.resize(972, 526);
        window.move(0, 0);
    }

    ConfigHome home;
    QWidget window;
};

} // namespace

TEST_F(FormPlacement, AFirstRunShowsTheDesignPlacementAndExitStoresAllSevenValues)
{
    {
        TRegistryFormInfo placement(&window);
        EXPECT_EQ(placement.FormClientWidth.Value, 972);
        EXPECT_EQ(placement.FormClientHeight.Value, 526);
        placement.Restore();
        EXPECT_EQ(window.size(), QSize(972, 526));
        EXPECT_EQ(window.windowState(), Qt::WindowNoState);
        window.move(120, 80);
        window.resize(800, 600);
    }
    EXPECT_EQ(StoredInt("FormState"), 0);
    EXPECT_EQ(StoredInt("FormLeft"), window.frameGeometry().left());
    EXPECT_EQ(StoredInt("FormTop"), window.frameGeometry().top());
    EXPECT_EQ(StoredInt("FormWidth"), window.frameGeometry().width());
    EXPECT_EQ(StoredInt("FormHeight"), window.frameGeometry().height());
    EXPECT_EQ(StoredInt("FormClientWidth"), 800);
    EXPECT_EQ(StoredInt("FormClientHeight"), 600);

    QWidget next;
    next.setMinimumSize(400, 300);
    TRegistryFormInfo again(&next);
    again.Restore();
    EXPECT_EQ(next.size(), QSize(800, 600));
    EXPECT_EQ(next.pos(), window.pos());
}

TEST_F(FormPlacement, StoredPlacementsAreAppliedWithinTheMinimumSize)
{
    struct Case
    {
        std::uint32_t state;
        int left, top, width, height;
        Qt::WindowStates expectedState;
        QSize expectedSize;
    };
    const Case cases[] = {
        { 0, 50, 60, 1000, 700, Qt::WindowNoState, { 1000, 700 } },
        { 0, -30000, 40000, 640, 480, Qt::WindowNoState, { 640, 480 } }, // off every screen: as stored
        { 0, 10, 10, 100, 100, Qt::WindowNoState, { 400, 300 } },
        { 0, 10, 10, -5, 0, Qt::WindowNoState, { 400, 300 } },
        { 1, 10, 20, 500, 400, Qt::WindowMinimized, { 500, 400 } },
        { 2, 10, 20, 500, 400, Qt::WindowMaximized, { 500, 400 } },
        { 0x102, 10, 20, 500, 400, Qt::WindowMaximized, { 500, 400 } }, // the low byte counts
        { 7, 10, 20, 500, 400, Qt::WindowNoState, { 500, 400 } },
        { 0xffffffffu, 10, 20, 500, 400, Qt::WindowNoState, { 500, 400 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        ConfigHome fresh;
        StorePlacement(c.state, c.left, c.top, c.width, c.height);
        QWidget target;
        target.setMinimumSize(400, 300);
        target.resize(972, 526);
        TRegistryFormInfo placement(&target);
        placement.Restore();
        EXPECT_EQ(target.windowState(), c.expectedState);
        EXPECT_EQ(target.pos(), QPoint(c.left, c.top));
        if (c.expectedState == Qt::WindowNoState)
            EXPECT_EQ(target.size(), c.expectedSize);
        else
            EXPECT_EQ(target.normalGeometry().size(), c.expectedSize);
    }
}

TEST_F(FormPlacement, AWindowGoneBeforeThePlacementStillLeavesTheHeldValues)
{
    StorePlacement(0, 33, 44, 700, 500);
    {
        auto early = std::make_unique<QWidget>();
        TRegistryFormInfo placement(early.get());
        early.reset();
        placement.Restore();
    }
    EXPECT_EQ(StoredInt("FormLeft"), 33);
    EXPECT_EQ(StoredInt("FormClientWidth"), 700);
}

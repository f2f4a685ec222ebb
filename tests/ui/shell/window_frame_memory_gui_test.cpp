// The main window keeps its size and place in the user defaults between launches.
#include "platform/fake/in_memory_user_defaults.hpp"
#include "ui/shell/window_frame_memory.hpp"

#include <gtest/gtest.h>
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <memory>

namespace clicktrove {
namespace {

const QSize kMinimum(400, 300);

class WindowFrameMemoryTest : public ::testing::Test {
protected:
    // One launch's window.
    std::unique_ptr<QWidget> launch() {
        auto window = std::make_unique<QWidget>();
        window->setMinimumSize(kMinimum);
        memory = WindowFrameMemory::attach(*window, defaults, QSize(600, 400));
        window->show();
        QApplication::processEvents();
        return window;
    }

    std::shared_ptr<platform::InMemoryUserDefaults> defaults = std::make_shared<platform::InMemoryUserDefaults>();
    WindowFrameMemory* memory = nullptr;
};

TEST_F(WindowFrameMemoryTest, TheNextLaunchOpensWhereTheLastOneWasLeft) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    {
        const auto first = launch();
        EXPECT_EQ(first->size(),
                  QSize(600, 400).boundedTo(screen.size() - kWindowDecorationAllowance).expandedTo(kMinimum));
        EXPECT_LE((first->geometry().center() - screen.center()).manhattanLength(), 1) << "centred the first time";
        EXPECT_EQ(memory->stored(), std::nullopt) << "nothing to remember before the user moves it";

        first->setGeometry(QRect(screen.topLeft() + QPoint(30, 40), QSize(480, 330)));
        QApplication::processEvents();
        first->close();  // the change still waiting to be written goes now
    }
    ASSERT_TRUE(defaults->value(WindowFrameMemory::frameKey).has_value());
    EXPECT_EQ(defaults->writeCount(WindowFrameMemory::frameKey), 1) << "written once, not at every step";

    const auto second = launch();
    EXPECT_EQ(second->geometry(), QRect(screen.topLeft() + QPoint(30, 40), QSize(480, 330)));
}

TEST_F(WindowFrameMemoryTest, ADamagedValueOpensTheWindowAsTheFirstTime) {
    defaults->setValue(WindowFrameMemory::frameKey, "somewhere");
    const auto window = launch();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((window->geometry().center() - screen.center()).manhattanLength(), 1);
}

TEST_F(WindowFrameMemoryTest, AMaximisedWindowComesBackMaximisedOverItsNormalFrame) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect normal(screen.topLeft() + QPoint(20, 30), QSize(450, 320));
    defaults->setValue(WindowFrameMemory::frameKey, encodeWindowFrame({normal, true}));
    const auto window = launch();
    EXPECT_TRUE(window->isMaximized());
    EXPECT_EQ(window->normalGeometry(), normal);
}

}  // namespace
}  // namespace clicktrove

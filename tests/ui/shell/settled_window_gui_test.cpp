// An open window with nothing going on costs nothing: once it has settled (no run, no hover spring, no tab
// transition) no object of the window owns a running animation or a timer, and the application delivers no timer
// event while it idles, so the main thread sleeps until the user or the view model does something.
#include "session/view_model_rig.hpp"
#include "ui/dashboard/dashboard_view.hpp"
#include "ui/dashboard/run_bar.hpp"
#include "ui/design/vaq_primary_button.hpp"
#include "ui/shell/main_view.hpp"
#include "ui/shell/screen_factory.hpp"
#include "ui/support/widget_events.hpp"

#include <gtest/gtest.h>
#include <QAbstractAnimation>
#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>

using namespace std::chrono_literals;

namespace clicktrove::testing {
namespace {

QString describe(const QObject* object) {
    QString text = QString::fromLatin1(object->metaObject()->className());
    if (!object->objectName().isEmpty()) text += " '" + object->objectName() + "'";
    if (object->parent() != nullptr) text += " in " + QString::fromLatin1(object->parent()->metaObject()->className());
    return text;
}

// What of the window keeps the main thread busy: animations that run and objects with a timer registered in the
// event dispatcher (a QTimer or a QObject::startTimer alike, whatever its interval, so a slow timer counts too).
QStringList wakersIn(QObject& window) {
    QStringList found;
    QList<QObject*> objects = window.findChildren<QObject*>();
    objects.prepend(&window);
    const QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    for (const QObject* object : objects) {
        const auto* animation = qobject_cast<const QAbstractAnimation*>(object);
        if (animation != nullptr && animation->state() == QAbstractAnimation::Running) {
            found << "animation: " + describe(object);
        }
        if (!dispatcher->registeredTimers(const_cast<QObject*>(object)).isEmpty())
            found << "timer: " + describe(object);
    }
    return found;
}

// Runs the event loop for `span` of real time and lists the receivers of the timer events delivered meanwhile,
// wherever they live (the animation driver that no widget owns included).
class TimerEventWatch final : public QObject {
public:
    QStringList idleFor(std::chrono::milliseconds span) {
        receivers_.clear();
        QTimer end;
        end_ = &end;
        end.setSingleShot(true);
        QEventLoop loop;
        QObject::connect(&end, &QTimer::timeout, &loop, &QEventLoop::quit);
        QCoreApplication::instance()->installEventFilter(this);
        end.start(span);
        loop.exec();
        QCoreApplication::instance()->removeEventFilter(this);
        end_ = nullptr;
        return receivers_;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Timer && watched != end_) receivers_ << describe(watched);
        return false;
    }

private:
    QStringList receivers_;
    QObject* end_ = nullptr;
};

class SettledWindowTest : public ViewModelTest {
protected:
    void SetUp() override {
        ViewModelTest::SetUp();
        window = std::make_unique<MainView>(*vm, ScreenFactory::standard());
        window->resize(1100, 820);
        window->show();
    }

    // Lets what was started finish: posted work, repaints and animations that end on their own.
    void settle(std::chrono::milliseconds span) {
        QEventLoop loop;
        QTimer::singleShot(span, &loop, &QEventLoop::quit);
        loop.exec();
        QCoreApplication::sendPostedEvents();
    }

    void expectAtRest(const char* after) {
        SCOPED_TRACE(after);
        EXPECT_EQ(wakersIn(*window), QStringList());
        EXPECT_EQ(watch.idleFor(300ms), QStringList());
    }

    std::unique_ptr<MainView> window;
    TimerEventWatch watch;
};

TEST_F(SettledWindowTest, AnOpenDashboardWithNothingGoingOnWakesNothing) {
    settle(100ms);
    ASSERT_NE(window->dashboard(), nullptr);
    expectAtRest("opening");
}

TEST_F(SettledWindowTest, EverythingComesToRestAfterARunAHoverAndATabSwitch) {
    settle(50ms);
    vm->setConfig(quickConfig());
    startAndPassCountdown();
    rig.advance(500ms);
    // The check sees what runs: the run bar's pulse breathes while the run goes on.
    EXPECT_TRUE(wakersIn(*window).join('\n').contains("NeonPulse")) << wakersIn(*window).join('\n').toStdString();
    vm->stopClicking();
    rig.advance(100ms);
    settle(50ms);
    expectAtRest("a run");

    VaqPrimaryButton* start = window->dashboard()->runBar()->startButton();
    hover(start);
    settle(50ms);
    unhover(start);
    settle(600ms);
    expectAtRest("a hover");

    window->selectTab(MainViewTab::history);
    settle(50ms);
    window->selectTab(MainViewTab::dashboard);
    settle(400ms);
    ASSERT_NE(window->dashboard(), nullptr);
    expectAtRest("a tab switch");
}

}  // namespace
}  // namespace clicktrove::testing

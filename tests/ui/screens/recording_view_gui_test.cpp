#include "ui/screens/recording_view.hpp"

#include "engine/model_json.hpp"
#include "session/view_model_rig.hpp"
#include "ui/design/focus_ring.hpp"
#include "ui/screens/recorded_clicks_model.hpp"
#include "ui/support/widget_events.hpp"

#include <gtest/gtest.h>
#include <QApplication>
#include <QHideEvent>
#include <QImage>
#include <QListView>
#include <QPushButton>
#include <QShowEvent>
#include <QVariantAnimation>
#include <cmath>
#include <memory>

namespace clicktrove::testing {
namespace {

TEST(RecordingViewText, CoordinatesTruncateTowardZeroAndDelaysKeepTwoDecimals) {
    const std::vector<std::pair<ScreenPoint, const char*>> points = {
        {{12.9, -3.7}, "Coordinates: X: 12, Y: -3"},
        {{99.99, -0.4}, "Coordinates: X: 99, Y: 0"},
        {{0, 2560}, "Coordinates: X: 0, Y: 2560"},
        {{NAN, 1e300}, "Coordinates: X: \u2014, Y: 9200000000000000000"},
    };
    for (const auto& [point, text] : points) EXPECT_EQ(RecordingView::coordinateLine(point), QString::fromUtf8(text));
    EXPECT_EQ(RecordingView::delayText(2.5), QStringLiteral("+2.50s"));
    EXPECT_EQ(RecordingView::delayText(0), QStringLiteral("+0.00s"));
    EXPECT_EQ(RecordingView::delayText(0.005), QStringLiteral("+0.01s"));
}

class RecordingViewTest : public ViewModelTest {
protected:
    void SetUp() override {
        ViewModelTest::SetUp();
        view = std::make_unique<RecordingView>(*vm);
        view->resize(600, 500);
    }

    void importRecords(const std::vector<ClickRecord>& records) {
        const auto file = rig.home.root() / "macro.json";
        writeFile(file, toPrettyJsonText(records).value());
        rig.chooser.answer(file);
        view->importButton()->click();
        rig.drain();
        ASSERT_EQ(vm->recordedClicks().size(), records.size());
    }

    std::vector<ClickRecord> twoRecords() const {
        const Date at(std::chrono::seconds(1'700'000'000));
        return {ClickRecord({10.5, 20.9}, ClickType::left, at, 0.25),
                ClickRecord({-4.2, 7}, ClickType::holdRight, at, 1.5)};
    }

    struct State {
        QString record;
        bool recordEnabled;
        QString playback;
        bool playbackEnabled;
        bool importEnabled;
        bool exportEnabled;
        bool emptyState;
    };
    State state() const {
        return {view->recordButton()->text(),      view->recordButton()->isEnabled(),
                view->playbackButton()->text(),    view->playbackButton()->isEnabled(),
                view->importButton()->isEnabled(), view->exportButton()->isEnabled(),
                view->isShowingEmptyState()};
    }
    void expectState(const State& want) {
        const State got = state();
        EXPECT_EQ(got.record, want.record);
        EXPECT_EQ(got.recordEnabled, want.recordEnabled);
        EXPECT_EQ(got.playback, want.playback);
        EXPECT_EQ(got.playbackEnabled, want.playbackEnabled);
        EXPECT_EQ(got.importEnabled, want.importEnabled);
        EXPECT_EQ(got.exportEnabled, want.exportEnabled);
        EXPECT_EQ(got.emptyState, want.emptyState);
    }

    std::unique_ptr<RecordingView> view;
};

TEST_F(RecordingViewTest, ButtonsFollowTheRecordingAndPlaybackStates) {
    {
        SCOPED_TRACE("idle, no clicks");
        expectState({"Record Clicks", true, "Play Macro", false, true, false, true});
    }
    importRecords(twoRecords());
    {
        SCOPED_TRACE("idle, clicks present");
        expectState({"Record Clicks", true, "Play Macro", true, true, true, false});
    }

    view->playbackButton()->click();
    ASSERT_TRUE(vm->isPlayingMacro());
    {
        SCOPED_TRACE("playing");
        expectState({"Record Clicks", false, "Stop Playback", true, false, false, false});
    }
    view->playbackButton()->click();
    EXPECT_FALSE(vm->isPlayingMacro());

    view->recordButton()->click();
    ASSERT_TRUE(vm->isRecordingMacro());
    {
        SCOPED_TRACE("recording empties the list at once");
        expectState({"Stop Recording", true, "Play Macro", false, false, false, true});
    }
    rig.buttons.press(platform::MouseButtonPress{platform::MouseButtonPress::Button::left, 1, {300, 200}});
    rig.drain();
    EXPECT_FALSE(view->isShowingEmptyState());
    EXPECT_EQ(view->clicksModel()->rowCount(), 1);
    {
        SCOPED_TRACE("recording with a click");
        EXPECT_FALSE(view->playbackButton()->isEnabled());
        EXPECT_FALSE(view->exportButton()->isEnabled());
    }
    view->recordButton()->click();
    EXPECT_FALSE(vm->isRecordingMacro());
    EXPECT_EQ(vm->recordedClicks().size(), 1u);
    expectState({"Record Clicks", true, "Play Macro", true, true, true, false});
}

// The desktop-wide monitor hears the presses on the recorder's own buttons too; the one on Stop Recording must
// not end every macro with a click on that button.
TEST_F(RecordingViewTest, PressesOnTheRecordersOwnButtonsStayOutOfTheMacro) {
    view->move(140, 90);
    view->show();
    const auto pressAt = [&](QPoint global) {
        rig.buttons.press(
            platform::MouseButtonPress{platform::MouseButtonPress::Button::left,
                                       1,
                                       {static_cast<double>(global.x()), static_cast<double>(global.y())}});
        rig.drain();
    };
    const auto centreOf = [](const QWidget* w) { return w->mapToGlobal(w->rect().center()); };
    // The pointer comes over the button, as it does before any press on it.
    const auto pressOn = [&](QWidget* button) {
        hover(button);
        pressAt(centreOf(button));
    };
    view->recordButton()->click();
    ASSERT_TRUE(vm->isRecordingMacro());
    const QPoint elsewhere = view->mapToGlobal(QPoint(300, 300));
    pressAt(elsewhere);
    pressOn(view->playbackButton());  // disabled while recording, still the recorder's own
    const QPoint stop = centreOf(view->recordButton());
    pressOn(view->recordButton());
    view->recordButton()->click();
    ASSERT_FALSE(vm->isRecordingMacro());
    ASSERT_EQ(vm->recordedClicks().size(), 1u);
    EXPECT_EQ(vm->recordedClicks()[0].point, (ScreenPoint{double(elsewhere.x()), double(elsewhere.y())}));

    // Another program's window over the buttons (a game in front, say): the pointer left this window for it, and
    // the presses there, where the buttons would be, are the user's.
    view->recordButton()->click();
    unhover(view->recordButton());
    unhover(view->playbackButton());
    pressAt(stop);
    pressAt(centreOf(view->playbackButton()));
    vm->stopMacroRecording();
    EXPECT_EQ(vm->recordedClicks().size(), 2u);

    // Off screen, the buttons are not there to be pressed: a press at that place belongs to what is there now.
    view->recordButton()->click();
    view->hide();
    pressAt(stop);
    vm->stopMacroRecording();
    EXPECT_EQ(vm->recordedClicks().size(), 1u);
}

TEST_F(RecordingViewTest, AClickedButtonCarriesNoFocusMarkAndTabRingsItWithoutMovingIt) {
    importRecords(twoRecords());
    view->show();
    view->activateWindow();
    QApplication::processEvents();
    QPushButton& playback = *view->playbackButton();
    click(&playback);
    ASSERT_TRUE(vm->isPlayingMacro());
    EXPECT_EQ(playback.text(), "Stop Playback");
    // The click disabled Record Clicks, which may hand its focus on to the playback button: no mark for that.
    EXPECT_FALSE(focus_ring::isShown(playback));

    const QSize size = playback.size();
    const QPoint edge(playback.width() / 2, 2);
    playback.setFocus(Qt::OtherFocusReason);
    const QImage focusedByProgram = playback.grab().toImage();
    playback.clearFocus();
    const QImage unfocused = playback.grab().toImage();
    EXPECT_EQ(focusedByProgram, unfocused) << "no focus rectangle drawn inside the button";
    const QColor plain = unfocused.pixelColor(edge);
    view->recordButton()->setEnabled(true);  // so that Tab stops at the header before the playback button
    view->recordButton()->setFocus(Qt::OtherFocusReason);
    pressKey(view->recordButton(), Qt::Key_Tab);
    ASSERT_TRUE(playback.hasFocus());
    EXPECT_EQ(playback.size(), size) << "the ring takes no room";
    const QColor ring = playback.grab().toImage().pixelColor(edge);
    EXPECT_GT(ring.lightness(), 220) << "a white ring along the edge";
    EXPECT_GT(ring.lightness() - plain.lightness(), 40);
    playback.click();
}

TEST_F(RecordingViewTest, RowsShowEachRecordAndGrowDuringARecording) {
    const auto records = twoRecords();
    importRecords(records);
    RecordedClicksModel* model = view->clicksModel();
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->index(0).data().toString(), QStringLiteral("Left Click"));
    EXPECT_EQ(model->index(0).data(RecordedClicksModel::CoordinatesRole).toString(),
              QStringLiteral("Coordinates: X: 10, Y: 20"));
    EXPECT_EQ(model->index(0).data(RecordedClicksModel::DelayRole).toString(), QStringLiteral("+0.25s"));
    EXPECT_EQ(model->index(1).data().toString(), QStringLiteral("Hold Right Button"));
    EXPECT_EQ(model->index(1).data(RecordedClicksModel::CoordinatesRole).toString(),
              QStringLiteral("Coordinates: X: -4, Y: 7"));

    int inserted = 0;
    int resets = 0;
    QObject::connect(model, &QAbstractItemModel::rowsInserted, [&] { ++inserted; });
    QObject::connect(model, &QAbstractItemModel::modelReset, [&] { ++resets; });
    view->recordButton()->click();
    EXPECT_EQ(model->rowCount(), 0);
    for (int i = 0; i < 3; ++i) {
        rig.buttons.press(platform::MouseButtonPress{platform::MouseButtonPress::Button::right, 3, {1.0 * i, 2}});
        rig.drain();
    }
    EXPECT_EQ(model->rowCount(), 3);
    EXPECT_EQ(inserted, 3) << "each arriving click is one appended row";
    EXPECT_EQ(resets, 1) << "only the emptying at the start resets";
    EXPECT_EQ(model->index(2).data().toString(), QStringLiteral("Right Click"));
}

TEST_F(RecordingViewTest, ExportWritesTheMacroAndAFailedImportKeepsIt) {
    const auto records = twoRecords();
    importRecords(records);

    const auto bad = rig.home.root() / "bad.json";
    writeFile(bad, "{\"not\": \"a list\"}");
    rig.chooser.answer(bad);
    view->importButton()->click();
    rig.drain();
    EXPECT_EQ(vm->recordedClicks(), records);
    EXPECT_EQ(view->clicksModel()->rowCount(), 2);

    const auto out = rig.home.root() / "out.json";
    rig.chooser.answer(out);
    view->exportButton()->click();
    rig.drain();
    const auto written = fromJsonText<std::vector<ClickRecord>>(readFile(out));
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(*written, records);
}

TEST_F(RecordingViewTest, TheRecordingDotBreathesOnlyWhileARecordingIsOnScreen) {
    auto* pulse = view->findChild<QVariantAnimation*>();
    ASSERT_NE(pulse, nullptr);
    const auto breathing = [&] { return pulse->state() == QAbstractAnimation::Running; };
    view->show();
    EXPECT_FALSE(breathing());
    view->recordButton()->click();
    ASSERT_TRUE(vm->isRecordingMacro());
    EXPECT_TRUE(breathing());
    view->hide();
    EXPECT_FALSE(breathing()) << "nothing ticks for a hidden screen";
    view->show();
    EXPECT_TRUE(breathing());
    // Minimised, the screen gets a hide event yet still counts as visible; a click recorded meanwhile does not
    // wake the dot.
    QHideEvent minimised;
    QCoreApplication::sendEvent(view.get(), &minimised);
    EXPECT_FALSE(breathing());
    rig.buttons.press(platform::MouseButtonPress{platform::MouseButtonPress::Button::left, 1, {300, 200}});
    rig.drain();
    ASSERT_EQ(vm->recordedClicks().size(), 1u);
    EXPECT_FALSE(breathing());
    QShowEvent restored;
    QCoreApplication::sendEvent(view.get(), &restored);
    EXPECT_TRUE(breathing());
    // A sixtieth of a second's step changes the dot only now and then.
    const QIcon before = view->recordButton()->icon();
    pulse->setCurrentTime(250);
    const qint64 shown = view->recordButton()->icon().cacheKey();
    pulse->setCurrentTime(254);
    EXPECT_EQ(view->recordButton()->icon().cacheKey(), shown);
    EXPECT_NE(shown, before.cacheKey());
    view->recordButton()->click();
    EXPECT_FALSE(breathing());
}

}  // namespace
}  // namespace clicktrove::testing

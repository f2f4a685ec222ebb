#pragma once

#include <QObject>
#include <QPalette>
#include <functional>
#include <memory>

class QAction;
class QIcon;
class QMenu;
class QSystemTrayIcon;

namespace clicktrove {

// The program's item in the panel's status area (the system tray) and its menu: start, stop, pause and resume
// a run, bring the window forward, quit. It knows nothing of clicking: each command runs one of the callbacks
// its owner sets, and the owner tells it of every run-state change through updateState. The menu is built
// once and works whether or not the desktop has a tray to show it in. Main thread only.
class MenuBarManager final : public QObject {
    Q_OBJECT
public:
    using Callback = std::function<void()>;

    // terminate is what "Quit Clicktrove" does; by default it asks the application to quit.
    explicit MenuBarManager(QObject* parent = nullptr);
    explicit MenuBarManager(Callback terminate, QObject* parent = nullptr);
    ~MenuBarManager() override;

    // Enables only the run commands that make sense; the other three entries stay enabled.
    void updateState(bool isRunning, bool isPaused);

    // Run when the entry is chosen; unset, the entry does nothing.
    Callback onStart;
    Callback onStop;
    Callback onPause;
    Callback onResume;
    Callback onShowWindow;
    Callback onShowSettings;

    // The tray item; none where the desktop offers no tray.
    QSystemTrayIcon* statusItem() const { return statusItem_.get(); }
    // Whether the item is on show in a tray at this moment: a tray is there (an X11 system tray or a
    // status-notifier host) and the item is in it. Without one, a hidden window could not be reached from here.
    bool isShownInTray() const;
    QMenu* menu() const { return menu_.get(); }
    QAction* startItem() const { return startItem_; }
    QAction* stopItem() const { return stopItem_; }
    QAction* pauseItem() const { return pauseItem_; }
    QAction* resumeItem() const { return resumeItem_; }

    // The tray icon for a panel painted like palette: a one-colour glyph, light on dark panels, dark on light.
    static QIcon symbolicIcon(const QPalette& palette);
    // The program's full-colour icon.
    static QIcon applicationIcon();

public slots:
    void showWindowClicked();
    void showSettingsClicked();
    void startClicked();
    void stopClicked();
    void pauseClicked();
    void resumeClicked();
    void quitClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setup();
    QAction* addItem(const QString& title, int key, void (MenuBarManager::*action)());
    static void run(const Callback& callback);

    Callback terminate_;
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> statusItem_;  // declared after menu_: goes first, as it shows the menu
    QAction* startItem_ = nullptr;
    QAction* stopItem_ = nullptr;
    QAction* pauseItem_ = nullptr;
    QAction* resumeItem_ = nullptr;
};

}  // namespace clicktrove

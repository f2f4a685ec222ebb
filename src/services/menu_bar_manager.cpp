#include "services/menu_bar_manager.hpp"

#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QKeySequence>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <QSystemTrayIcon>
#include <cstdlib>
#include <cstring>

// Resources of a static library are not linked in unless something names them; this must sit outside any
// namespace.
static void initServicesResources() {
    Q_INIT_RESOURCE(services_resources);
}

namespace clicktrove {

namespace {

constexpr const char* kSymbolicSvg = ":/clicktrove/icons/clicktrove-symbolic.svg";
constexpr const char* kApplicationSvg = ":/clicktrove/icons/clicktrove.svg";

// GNOME Shell paints its top bar dark whatever the application palette says.
bool panelIsAlwaysDark() {
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    return desktop && std::strstr(desktop, "GNOME") != nullptr;
}

QPixmap renderGlyph(QSvgRenderer& renderer, int size, const QColor& color) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    // Keep the glyph's coverage, take the colour: the SVG is drawn in one colour on transparent.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), color);
    painter.end();
    return QPixmap::fromImage(image);
}

}  // namespace

MenuBarManager::MenuBarManager(QObject* parent) : MenuBarManager(Callback{}, parent) {}

MenuBarManager::MenuBarManager(Callback terminate, QObject* parent)
    : QObject(parent), terminate_(std::move(terminate)) {
    if (!terminate_) terminate_ = [] { QCoreApplication::quit(); };
    setup();
}

MenuBarManager::~MenuBarManager() {
    if (statusItem_ && qApp) qApp->removeEventFilter(this);
    statusItem_.reset();
}

QIcon MenuBarManager::symbolicIcon(const QPalette& palette) {
    initServicesResources();
    const bool dark = panelIsAlwaysDark() || palette.color(QPalette::Window).lightness() < 128;
    const QColor color = dark ? QColor(0xf2, 0xf2, 0xf2) : QColor(0x2e, 0x2e, 0x2e);
    QSvgRenderer renderer{QString::fromLatin1(kSymbolicSvg)};
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) icon.addPixmap(renderGlyph(renderer, size, color));
    return icon;
}

QIcon MenuBarManager::applicationIcon() {
    initServicesResources();
    return QIcon(QString::fromLatin1(kApplicationSvg));
}

QAction* MenuBarManager::addItem(const QString& title, int key, void (MenuBarManager::*action)()) {
    QAction* item = menu_->addAction(title);
    // Ctrl stands where the key equivalents carry Command elsewhere; lower-case letters, so no Shift.
    item->setShortcut(QKeySequence(static_cast<int>(Qt::CTRL) | key));
    connect(item, &QAction::triggered, this, action);
    return item;
}

void MenuBarManager::setup() {
    menu_ = std::make_unique<QMenu>();
    menu_->setTitle(QStringLiteral("Clicktrove"));
    addItem(QStringLiteral("Show Control Panel"), Qt::Key_O, &MenuBarManager::showWindowClicked);
    addItem(QStringLiteral("Settings..."), Qt::Key_Comma, &MenuBarManager::showSettingsClicked);
    menu_->addSeparator();
    startItem_ = addItem(QStringLiteral("Start Clicking"), Qt::Key_S, &MenuBarManager::startClicked);
    stopItem_ = addItem(QStringLiteral("Stop Clicking"), Qt::Key_X, &MenuBarManager::stopClicked);
    pauseItem_ = addItem(QStringLiteral("Pause"), Qt::Key_P, &MenuBarManager::pauseClicked);
    resumeItem_ = addItem(QStringLiteral("Resume"), Qt::Key_R, &MenuBarManager::resumeClicked);
    menu_->addSeparator();
    addItem(QStringLiteral("Quit Clicktrove"), Qt::Key_Q, &MenuBarManager::quitClicked);

    // On X11 the item is created even when no tray is there yet: Qt docks it once a tray appears, as happens
    // when the program starts at login before the panel. Elsewhere (Wayland without a status-notifier host,
    // offscreen) Qt has no late docking, and the menu alone remains.
    if (QGuiApplication::platformName() == QLatin1String("xcb") || QSystemTrayIcon::isSystemTrayAvailable()) {
        statusItem_ = std::make_unique<QSystemTrayIcon>();
        statusItem_->setIcon(symbolicIcon(QGuiApplication::palette()));
        statusItem_->setContextMenu(menu_.get());
        connect(statusItem_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            // A plain click opens the menu too, not only the context click.
            if (reason == QSystemTrayIcon::Trigger) menu_->popup(QCursor::pos());
        });
        statusItem_->show();
        // Qt announces a new application palette (the desktop's light/dark switch) to the application object.
        qApp->installEventFilter(this);
    }

    updateState(false, false);
}

bool MenuBarManager::isShownInTray() const {
    return statusItem_ && statusItem_->isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

bool MenuBarManager::eventFilter(QObject* watched, QEvent* event) {
    // The light/dark switch of the desktop reaches the application as a palette change.
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange && statusItem_) {
        statusItem_->setIcon(symbolicIcon(QGuiApplication::palette()));
    }
    return QObject::eventFilter(watched, event);
}

void MenuBarManager::updateState(bool isRunning, bool isPaused) {
    startItem_->setEnabled(!isRunning);
    stopItem_->setEnabled(isRunning);
    pauseItem_->setEnabled(isRunning && !isPaused);
    resumeItem_->setEnabled(isRunning && isPaused);
}

void MenuBarManager::run(const Callback& callback) {
    if (callback) callback();
}

void MenuBarManager::showWindowClicked() {
    run(onShowWindow);
}
void MenuBarManager::showSettingsClicked() {
    run(onShowSettings);
}
void MenuBarManager::startClicked() {
    run(onStart);
}
void MenuBarManager::stopClicked() {
    run(onStop);
}
void MenuBarManager::pauseClicked() {
    run(onPause);
}
void MenuBarManager::resumeClicked() {
    run(onResume);
}
void MenuBarManager::quitClicked() {
    terminate_();
}

}  // namespace clicktrove

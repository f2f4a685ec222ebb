#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>
#include <utility>

namespace clicktrove::testing {

// Counts the paint events a widget receives; take() hands over the count since the last take().
class PaintCount final : public QObject {
public:
    explicit PaintCount(QWidget* widget) { widget->installEventFilter(this); }
    int take() { return std::exchange(count_, 0); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++count_;
        return false;
    }

private:
    int count_ = 0;
};

// Delivers what is posted, the repaints of the window included.
inline void paintPending() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

}  // namespace clicktrove::testing

#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

class QLabel;

namespace clicktrove {

// What a screen shows in place of an empty list: a faint tinted circle with a symbol, a bold title and one
// line of help, centred in all the space offered.
class EmptyStateView final : public QWidget {
    Q_OBJECT
public:
    struct Look {
        QString symbol;
        qreal symbolPoints;
        QColor colour;
        qreal circleOpacity;
        qreal symbolOpacity;
    };

    EmptyStateView(Look look, const QString& title, const QString& text, QWidget* parent = nullptr);

    QString title() const;
    QString text() const;

private:
    QLabel* title_ = nullptr;
    QLabel* text_ = nullptr;
};

}  // namespace clicktrove

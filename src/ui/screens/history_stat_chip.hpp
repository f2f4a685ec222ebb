#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

class QLabel;

namespace clicktrove {

// One figure of a History row: a small symbol, the value in bold and its caption, on a faint tint of the chip's
// colour.
class HistoryStatChip final : public QWidget {
    Q_OBJECT
public:
    HistoryStatChip(const QString& symbol, const QColor& colour, const QString& value, const QString& caption,
                    QWidget* parent = nullptr);

    QString value() const;
    QString caption() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour_;
    QLabel* value_ = nullptr;
    QLabel* caption_ = nullptr;
};

}  // namespace clicktrove

#pragma once

#include "ui/design/adaptive_color.hpp"

#include <QString>
#include <QWidget>
#include <optional>

class QLabel;

namespace clicktrove {

class LiveText;
class SymbolIconLabel;

// A statistic tile: an optional small icon, the value in large bold type and its caption, centred in a column
// on the raised surface with a border. Takes the full width offered. The caller formats the value; a new value
// repaints the value's line and nothing else.
class VaqStatBadge final : public QWidget {
    Q_OBJECT
public:
    VaqStatBadge(QString label, QString value, AdaptiveColor valueColor, std::optional<QString> icon = std::nullopt,
                 QWidget* parent = nullptr);

    QString label() const;
    QString value() const;
    const AdaptiveColor& valueColor() const { return valueColor_; }
    const std::optional<QString>& icon() const { return icon_; }

    void setLabel(const QString& label);
    void setValue(const QString& value);
    void setValueColor(const AdaptiveColor& color);
    void setIcon(const std::optional<QString>& icon);

    // The parts, for layouts and tests; the icon label is hidden while there is no icon.
    LiveText* valueLabel() const { return value_; }
    QLabel* captionLabel() const { return caption_; }
    QWidget* iconLabel() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void applyColors();

    AdaptiveColor valueColor_;
    std::optional<QString> icon_;
    SymbolIconLabel* iconLabel_ = nullptr;
    LiveText* value_ = nullptr;
    QLabel* caption_ = nullptr;
};

}  // namespace clicktrove

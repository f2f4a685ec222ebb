#pragma once

#include "ui/design/adaptive_color.hpp"

#include <QString>
#include <QWidget>
#include <optional>

class QAbstractButton;
class QFrame;
class QLabel;

namespace clicktrove {

// The header of a card: a tinted 30 x 30 icon tile, the bold title and, only when there is an info text, a small
// info button that toggles a 260-point-wide help popover under it. As wide as its parts; the card places it.
class VaqSectionHeader final : public QWidget {
    Q_OBJECT
public:
    VaqSectionHeader(QString icon, QString title, AdaptiveColor iconColor, std::optional<QString> info = std::nullopt,
                     QWidget* parent = nullptr);
    ~VaqSectionHeader() override;

    QString symbol() const { return symbol_; }
    QString title() const;
    const AdaptiveColor& iconColor() const { return iconColor_; }
    const std::optional<QString>& info() const { return info_; }

    void setSymbol(const QString& icon);
    void setTitle(const QString& title);
    void setIconColor(const AdaptiveColor& color);
    // Setting no info removes the button and closes the popover.
    void setInfo(const std::optional<QString>& info);

    // The info button, or nullptr while there is no info text.
    QAbstractButton* infoButton() const { return infoButton_; }
    bool isInfoShown() const { return showInfo_; }
    // The help popover while it is shown, else nullptr.
    QWidget* infoPopover() const;
    void setInfoShown(bool shown);

private:
    void rebuildInfoButton();
    void applyColors();

    QString symbol_;
    AdaptiveColor iconColor_;
    std::optional<QString> info_;
    bool showInfo_ = false;
    QWidget* tile_ = nullptr;
    QLabel* title_ = nullptr;
    QAbstractButton* infoButton_ = nullptr;
    QFrame* popover_ = nullptr;
};

}  // namespace clicktrove

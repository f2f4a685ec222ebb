#pragma once

#include "ui/design/help_popover.hpp"

#include <QAbstractButton>
#include <QPointer>
#include <QString>

class QFrame;

namespace clicktrove {

// The small info button beside a switch: a click shows its help text in a popover under it, a second click or a
// click elsewhere hides it. Each button has its own popover.
class InfoHelperButton final : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kPopoverWidth = HelpPopover::kWidth;

    explicit InfoHelperButton(const QString& text, QWidget* parent = nullptr);
    ~InfoHelperButton() override;

    QString helpText() const { return text_; }
    bool isPresented() const { return popover_ != nullptr; }
    // The popover while shown, else null.
    QFrame* popover() const { return popover_; }
    void setPresented(bool presented);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    QPointer<QFrame> popover_;
};

}  // namespace clicktrove

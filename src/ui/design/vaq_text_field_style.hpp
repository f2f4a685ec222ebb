#pragma once

#include <QObject>

class QLineEdit;
class QWidget;

namespace clicktrove {

// The text-field look of the screens: medium monospaced 13-point text in the primary colour, 10 x 7 padding, the
// surface colour behind it in a rounded rectangle with a border, no focus or error look of its own. Applied to a
// QLineEdit (or every QLineEdit inside a container, spin boxes' included); it stays with the field, follows theme
// switches and leaves alignment, placeholder text and validators to the caller.
class VaqTextFieldStyle final : public QObject {
    Q_OBJECT
public:
    static void apply(QLineEdit* field);
    static void applyToAll(QWidget* container);
    static bool isApplied(const QLineEdit* field);

    static constexpr int horizontalPadding = 10;
    static constexpr int verticalPadding = 7;
    static constexpr qreal cornerRadius = 8.0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit VaqTextFieldStyle(QLineEdit* field);
    void applyColors();

    QLineEdit* field_;
};

}  // namespace clicktrove

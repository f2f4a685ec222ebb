#pragma once

#include <QWidget>

namespace clicktrove {

// The band at the top of the Presets and History screens: the surface colour with a one-point border line
// along its bottom edge, its content 20 points inside.
class HeaderPanel final : public QWidget {
    Q_OBJECT
public:
    explicit HeaderPanel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace clicktrove

#pragma once

#include <QWidget>

class QLabel;

namespace clicktrove {

// A screen that only names itself, for a screen the application has not been given.
class PlaceholderScreen final : public QWidget {
    Q_OBJECT
public:
    explicit PlaceholderScreen(const QString& name, QWidget* parent = nullptr);

    QString name() const { return name_; }
    void setDetail(const QString& detail);

private:
    QString name_;
    QLabel* detail_;
};

}  // namespace clicktrove

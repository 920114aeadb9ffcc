#pragma once

#include <QLabel>

// A label whose text runs top to bottom; its size hints are those of the
// ordinary label with width and height exchanged.
class VLabel : public QLabel
{
    Q_OBJECT
public:
    explicit VLabel(QWidget* parent = nullptr);
    explicit VLabel(const QString& text, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;
};

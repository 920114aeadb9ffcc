#pragma once

#include <QPushButton>

// A push button standing on its side: its text runs top to bottom and its
// size hints are those of the ordinary button with width and height exchanged.
class VPushButton : public QPushButton
{
    Q_OBJECT
public:
    explicit VPushButton(QWidget* parent = nullptr);
    explicit VPushButton(const QString& text, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;
};

#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QObject>
#include <QRectF>
#include <QString>

class QPainter;

// Draws text into rectangles, optionally shrunk to fit and rotated, and
// keeps the font, a text and the four default label colours of the plots.
class DrawText : public QObject
{
    Q_OBJECT
public:
    static constexpr int colorCount = 4;

    explicit DrawText(QObject* parent = nullptr);

    // Point size that fits `text` into a box of `size`: the text is measured at
    // 10 points and scaled by min(box width / text width, box height / text
    // height), a zero text dimension being left out; a positive `requested`
    // size wins when it is smaller. With nothing to measure the result is
    // `requested` when positive, else 10.
    static double fitSize(const QString& text, const QSizeF& size, double requested, const QFont& base);

    // Text in a rectangle (normalised first). With `fit` the size comes from
    // fitSize(), else `pointSize` is used when positive and the font's own size
    // otherwise. The painter's pen is used; its font is restored afterwards.
    void putText(QPainter* p, const QString& text, const QRectF& rect, int align,
                 double pointSize = 0.0, bool fit = false) const;
    // Text rotated by `angle` degrees (clockwise on screen) and centred on
    // `rect`. The text box keeps the direction of the text: for angles nearer
    // to 90 or 270 than to 0 or 180 its width and height are those of `rect`
    // exchanged. With `background` valid the box is filled with it first.
    void putRotatedText(QPainter* p, const QString& text, const QRectF& rect, double angle,
                        int align, double pointSize = 0.0, bool fit = false,
                        const QColor& background = QColor()) const;

    QFont font() const { return m_font; }
    void setFont(const QFont& f)
    {
        m_font = f;
        m_fitted.clear();
    }
    QString text() const { return m_text; }
    void setText(const QString& t) { m_text = t; }
    // Default colours 0..3: (0, 220, 220), (170, 255, 170), (140, 180, 140),
    // (0, 0, 0); an index outside gives black.
    QColor color(int i) const;
    void setColor(int i, const QColor& c);

private:
    // fitSize() for this object's font, remembered: plots draw the same
    // labels into the same boxes on every repaint, and measuring them costs
    // more than drawing them.
    double fittedSize(const QString& text, const QSizeF& size, double requested) const;

    struct FitKey
    {
        QString text;
        double width, height, requested;
        bool operator==(const FitKey& o) const
        {
            return text == o.text && width == o.width && height == o.height && requested == o.requested;
        }
    };
    friend uint qHash(const FitKey& k, uint seed)
    {
        return qHash(k.text, seed) ^ qHash(k.width, seed) ^ (qHash(k.height, seed) * 31u) ^ qHash(k.requested, seed);
    }

    QFont m_font;
    mutable QHash<FitKey, double> m_fitted;
    QString m_text;
    QColor m_colors[colorCount];
};

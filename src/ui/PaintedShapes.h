#pragma once

#include <QColor>
#include <QQuickItem>

#include <functional>
#include <QtQml/qqmlregistration.h>

namespace kw::ui {

// Vector shapes drawn with a painter into a picture of the item's size. Qt Quick's vector shapes
// are render nodes, which the software renderer paints outside their clip and then never repairs: a
// shape that slides out of the content column leaves copies of itself on the sidebar. A painted
// picture is an ordinary image to every renderer: clipped, redrawn only when its size or look
// changes, and cheap to move, fade or rotate.
//
// The picture is painted into an image that becomes the texture and is then let go, so each shape
// is held once. QQuickPaintedItem keeps two full-size copies with the software renderer (its node
// paints into a pixmap its texture still shares), which for the window's backdrops and cards came
// to several MiB.
class PaintedShape : public QQuickItem {
    Q_OBJECT
public:
    explicit PaintedShape(QQuickItem* parent = nullptr);
    virtual void paint(QPainter* painter) = 0;

signals:
    void shapeChanged();

protected:
    template <typename T> void set(T& field, const T& value)
    {
        if (field == value)
            return;
        field = value;
        emit shapeChanged();
        repaint();
    }
    void repaint();
    QSGNode* updatePaintNode(QSGNode* node, UpdatePaintNodeData* data) override;
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;
    void itemChange(ItemChange change, const ItemChangeData& value) override;
    // The item's size in whole points; empty while it is in no window.
    QSize paintedSize() const;
    // The item painted into an image of the given size, at the window's pixel ratio.
    QImage paintedImage(QSize size, qreal ratio, const std::function<void(QPainter*)>& draw) const;

    bool m_dirty = true; // the picture no longer shows the shape
};

// A rounded rectangle filled with a gradient from its top-leading to its bottom-trailing corner.
// Without rounded corners and with the software renderer, the gradient is painted straight into
// the window wherever it shows instead of into a picture: the window's backdrop and sidebar are its
// largest shapes, and a picture of them held some 3 MiB.
class DiagonalGradient : public PaintedShape {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QColor startColor MEMBER m_start WRITE setStartColor NOTIFY shapeChanged)
    Q_PROPERTY(QColor endColor MEMBER m_end WRITE setEndColor NOTIFY shapeChanged)
    Q_PROPERTY(qreal radius MEMBER m_radius WRITE setRadius NOTIFY shapeChanged)
public:
    using PaintedShape::PaintedShape;
    void setStartColor(const QColor& c) { set(m_start, c); }
    void setEndColor(const QColor& c) { set(m_end, c); }
    void setRadius(qreal r) { set(m_radius, r); }
    void paint(QPainter* painter) override;

protected:
    QSGNode* updatePaintNode(QSGNode* node, UpdatePaintNodeData* data) override;

private:
    QColor m_start;
    QColor m_end;
    qreal m_radius = 0;
};

// A round shape of one colour. Its item is the circle's diameter plus what reaches past the circle
// (half a stroke on each side, or a blur).
class RoundShape : public PaintedShape {
    Q_OBJECT
    Q_PROPERTY(QColor color MEMBER m_color WRITE setColor NOTIFY shapeChanged)
    Q_PROPERTY(qreal diameter MEMBER m_diameter WRITE setDiameter NOTIFY shapeChanged)
public:
    explicit RoundShape(QQuickItem* parent = nullptr);
    void setColor(const QColor& c) { set(m_color, c); }
    void setDiameter(qreal d);

protected:
    void setOverhang(qreal overhang);
    QColor m_color;
    qreal m_diameter = 100;

private:
    void fit();
    qreal m_overhang = 0;
};

// A disc, or with a line width a ring whose stroke is centred on the circle of the given diameter.
class Disc : public RoundShape {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(qreal lineWidth MEMBER m_lineWidth WRITE setLineWidth NOTIFY shapeChanged)
public:
    using RoundShape::RoundShape;
    void setLineWidth(qreal w);
    void paint(QPainter* painter) override;

private:
    qreal m_lineWidth = 0; // 0: filled
};

// A softly blurred disc: solid to within blur of its edge, fading out to blur beyond it.
class Glow : public RoundShape {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(qreal blur MEMBER m_blur WRITE setBlur NOTIFY shapeChanged)
public:
    explicit Glow(QQuickItem* parent = nullptr);
    void setBlur(qreal b);
    void paint(QPainter* painter) override;

private:
    qreal m_blur = 8;
};

// The part of a circle's outline from one fraction of its length to another, clockwise from three
// o'clock and turned clockwise by angle degrees, stroked with round caps and centred on the circle.
// Turning goes through angle rather than the item's rotation: the software renderer rotates
// pictures without smoothing, which frays the stroke.
class ArcShape : public RoundShape {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(qreal lineWidth MEMBER m_lineWidth WRITE setLineWidth NOTIFY shapeChanged)
    Q_PROPERTY(qreal from MEMBER m_from WRITE setFrom NOTIFY shapeChanged)
    Q_PROPERTY(qreal to MEMBER m_to WRITE setTo NOTIFY shapeChanged)
    Q_PROPERTY(qreal angle MEMBER m_angle WRITE setAngle NOTIFY shapeChanged)
public:
    using RoundShape::RoundShape;
    void setLineWidth(qreal w);
    void setFrom(qreal f) { set(m_from, f); }
    void setTo(qreal t) { set(m_to, t); }
    void setAngle(qreal a) { set(m_angle, a); }
    void paint(QPainter* painter) override;

private:
    qreal m_lineWidth = 0;
    qreal m_from = 0;
    qreal m_to = 1;
    qreal m_angle = 0;
};

// An open line through points given as fractions of the item's size, stroked with round caps and
// joins (the check mark of the application's mark).
class Polyline : public PaintedShape {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QList<QPointF> points MEMBER m_points WRITE setPoints NOTIFY shapeChanged)
    Q_PROPERTY(qreal lineWidth MEMBER m_lineWidth WRITE setLineWidth NOTIFY shapeChanged)
    Q_PROPERTY(QColor color MEMBER m_color WRITE setColor NOTIFY shapeChanged)
public:
    using PaintedShape::PaintedShape;
    void setPoints(const QList<QPointF>& p) { set(m_points, p); }
    void setLineWidth(qreal w) { set(m_lineWidth, w); }
    void setColor(const QColor& c) { set(m_color, c); }
    void paint(QPainter* painter) override;

private:
    QList<QPointF> m_points;
    qreal m_lineWidth = 1;
    QColor m_color;
};

// A card's surface with its shadow: a rounded rectangle filled and outlined, over a blurred shadow.
// The item reaches past the card by reach on every side, for the shadow. Only the corners differ
// from one pixel to the next; the edges repeat one row or column and the middle one pixel. So the
// card is painted once, small, with corners and a one-pixel middle, and drawn in nine pieces that
// stretch that middle: a card of any size holds a picture of some hundred KiB instead of one of
// its own size, which is never painted again when the card grows or shrinks, and what animates on
// the card repaints over plain pieces instead of re-stretching a shadow in every frame.
class CardSurface : public PaintedShape {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(qreal radius MEMBER m_radius WRITE setRadius NOTIFY shapeChanged)
    Q_PROPERTY(QColor color MEMBER m_color WRITE setColor NOTIFY shapeChanged)
    Q_PROPERTY(QColor borderColor MEMBER m_borderColor WRITE setBorderColor NOTIFY shapeChanged)
    Q_PROPERTY(qreal shadowOpacity MEMBER m_shadowOpacity WRITE setShadowOpacity NOTIFY shapeChanged)
    Q_PROPERTY(qreal shadowBlur MEMBER m_shadowBlur WRITE setShadowBlur NOTIFY shapeChanged)
    Q_PROPERTY(qreal shadowOffsetY MEMBER m_shadowOffsetY WRITE setShadowOffsetY NOTIFY shapeChanged)
    Q_PROPERTY(qreal reach READ reach NOTIFY shapeChanged)
public:
    using PaintedShape::PaintedShape;
    void setRadius(qreal r) { set(m_radius, r); }
    void setColor(const QColor& c) { set(m_color, c); }
    void setBorderColor(const QColor& c) { set(m_borderColor, c); }
    void setShadowOpacity(qreal o) { set(m_shadowOpacity, o); }
    void setShadowBlur(qreal b) { set(m_shadowBlur, b); }
    void setShadowOffsetY(qreal y) { set(m_shadowOffsetY, y); }
    qreal reach() const;
    void paint(QPainter* painter) override;

protected:
    QSGNode* updatePaintNode(QSGNode* node, UpdatePaintNodeData* data) override;
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;

private:
    void paintCard(QPainter* painter, QSizeF size) const;
    int corner() const;
    qreal m_radius = 24;
    QColor m_color;
    QColor m_borderColor;
    qreal m_shadowOpacity = 0.08;
    qreal m_shadowBlur = 24;
    qreal m_shadowOffsetY = 14;
};

} // namespace kw::ui

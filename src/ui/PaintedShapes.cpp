#include "ui/PaintedShapes.h"

#include "ui/ShadowImageProvider.h"

#include <QPainter>
#include <QQuickWindow>
#include <QSGImageNode>
#include <QSGRectangleNode>
#include <QSGRenderNode>
#include <QSGRendererInterface>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace kw::ui {

PaintedShape::PaintedShape(QQuickItem* parent) : QQuickItem(parent)
{
    setFlag(ItemHasContents);
}

void PaintedShape::repaint()
{
    m_dirty = true;
    update();
}

void PaintedShape::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    // Moving needs no new picture; only a new size does.
    if (newGeometry.size() != oldGeometry.size())
        repaint();
}

void PaintedShape::itemChange(ItemChange change, const ItemChangeData& value)
{
    QQuickItem::itemChange(change, value);
    if (change == ItemDevicePixelRatioHasChanged || change == ItemSceneChange)
        repaint();
}

QSize PaintedShape::paintedSize() const
{
    return window() ? QSize(qRound(width()), qRound(height())) : QSize();
}

QImage PaintedShape::paintedImage(QSize size, qreal ratio, const std::function<void(QPainter*)>& draw) const
{
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    draw(&painter);
    return image;
}

QSGNode* PaintedShape::updatePaintNode(QSGNode* oldNode, UpdatePaintNodeData*)
{
    auto* node = static_cast<QSGImageNode*>(oldNode);
    const QSize size = paintedSize();
    if (size.isEmpty()) {
        delete node;
        return nullptr;
    }
    if (!node) {
        node = window()->createImageNode();
        node->setOwnsTexture(true);
        m_dirty = true;
    }
    if (m_dirty) {
        const QImage image = paintedImage(size, window()->effectiveDevicePixelRatio(), [this](QPainter* p) { paint(p); });
        // The node deletes the texture it held; the image goes when this function returns.
        node->setTexture(window()->createTextureFromImage(image, QQuickWindow::TextureHasAlphaChannel));
        m_dirty = false;
    }
    node->setRect(QRectF(QPointF(0, 0), size));
    // At rest the picture is drawn at its own size, pixel for pixel; a breathing shape is scaled
    // unfiltered, as the painted items of Qt Quick are.
    node->setFiltering(QSGTexture::Nearest);
    return node;
}

namespace {

QLinearGradient diagonal(QSizeF size, const QColor& start, const QColor& end)
{
    QLinearGradient gradient(QPointF(0, 0), QPointF(size.width(), size.height()));
    gradient.setColorAt(0, start);
    gradient.setColorAt(1, end);
    return gradient;
}

// A gradient painted by the software renderer's own painter, into whatever part of the window it
// repaints.
class GradientPaintNode : public QSGRenderNode {
public:
    explicit GradientPaintNode(QQuickWindow* window) : m_window(window) {}
    void render(const RenderState* state) override
    {
        auto* painter = static_cast<QPainter*>(
            m_window->rendererInterface()->getResource(m_window, QSGRendererInterface::PainterResource));
        if (!painter)
            return;
        // The clip is in the window's pixels, so it goes before the item's transform.
        if (const QRegion* clip = state->clipRegion()) {
            if (clip->isEmpty())
                return;
            painter->setClipRegion(*clip, Qt::ReplaceClip);
        }
        painter->setTransform(matrix()->toTransform());
        painter->setOpacity(inheritedOpacity());
        // A whole-pixel rectangle needs no antialiasing, and an opaque one no blending: it is the
        // cheapest fill the painter has, which the animations over the backdrop repaint each frame.
        painter->setRenderHint(QPainter::Antialiasing, false);
        if (opaque() && inheritedOpacity() >= 1)
            painter->setCompositionMode(QPainter::CompositionMode_Source);
        painter->fillRect(QRectF(QPointF(0, 0), size), diagonal(size, start, end));
    }
    RenderingFlags flags() const override
    {
        return opaque() ? BoundedRectRendering | OpaqueRendering : BoundedRectRendering;
    }
    QRectF rect() const override { return QRectF(QPointF(0, 0), size); }

    QSizeF size;
    QColor start;
    QColor end;

private:
    bool opaque() const { return start.alpha() == 255 && end.alpha() == 255; }
    QQuickWindow* m_window;
};

} // namespace

void DiagonalGradient::paint(QPainter* painter)
{
    const QRectF area(0, 0, width(), height());
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(diagonal(area.size(), m_start, m_end));
    const qreal r = std::min({m_radius, width() / 2, height() / 2});
    if (r > 0)
        painter->drawRoundedRect(area, r, r);
    else
        painter->drawRect(area);
}

QSGNode* DiagonalGradient::updatePaintNode(QSGNode* oldNode, UpdatePaintNodeData* data)
{
    const bool direct = m_radius <= 0 && window()
                        && window()->rendererInterface()->graphicsApi() == QSGRendererInterface::Software;
    if (oldNode && (oldNode->type() == QSGNode::RenderNodeType) != direct) {
        delete oldNode;
        oldNode = nullptr;
    }
    if (!direct)
        return PaintedShape::updatePaintNode(oldNode, data);
    const QSize size = paintedSize();
    if (size.isEmpty()) {
        delete oldNode;
        return nullptr;
    }
    // Asked for only when the size or a colour changed: the node takes them and repaints.
    auto* node = oldNode ? static_cast<GradientPaintNode*>(oldNode) : new GradientPaintNode(window());
    node->size = QSizeF(width(), height());
    node->start = m_start;
    node->end = m_end;
    node->markDirty(QSGNode::DirtyMaterial);
    return node;
}

RoundShape::RoundShape(QQuickItem* parent) : PaintedShape(parent)
{
    fit();
}

void RoundShape::setDiameter(qreal d)
{
    set(m_diameter, d);
    fit();
}

void RoundShape::setOverhang(qreal overhang)
{
    m_overhang = overhang;
    fit();
}

void RoundShape::fit()
{
    setImplicitSize(m_diameter + m_overhang, m_diameter + m_overhang);
}

void Disc::setLineWidth(qreal w)
{
    set(m_lineWidth, w);
    setOverhang(w);
}

void Disc::paint(QPainter* painter)
{
    painter->setRenderHint(QPainter::Antialiasing);
    const QRectF circle(m_lineWidth / 2, m_lineWidth / 2, width() - m_lineWidth, height() - m_lineWidth);
    if (m_lineWidth > 0) {
        painter->setPen(QPen(m_color, m_lineWidth));
        painter->setBrush(Qt::NoBrush);
    } else {
        painter->setPen(Qt::NoPen);
        painter->setBrush(m_color);
    }
    painter->drawEllipse(circle);
}

Glow::Glow(QQuickItem* parent) : RoundShape(parent)
{
    setOverhang(2 * m_blur);
}

void Glow::setBlur(qreal b)
{
    set(m_blur, b);
    setOverhang(2 * b);
}

void Glow::paint(QPainter* painter)
{
    const qreal outer = std::min(width(), height()) / 2;
    if (outer <= 0)
        return;
    const QPointF centre(width() / 2, height() / 2);
    QRadialGradient gradient(centre, outer);
    QColor clear = m_color;
    clear.setAlphaF(0);
    gradient.setColorAt(0, m_color);
    gradient.setColorAt(std::max<qreal>(0, (m_diameter / 2 - m_blur) / outer), m_color);
    gradient.setColorAt(1, clear);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(gradient);
    painter->drawEllipse(centre, outer, outer);
}

void ArcShape::setLineWidth(qreal w)
{
    set(m_lineWidth, w);
    setOverhang(w);
}

void ArcShape::paint(QPainter* painter)
{
    const QRectF circle(m_lineWidth / 2, m_lineWidth / 2, width() - m_lineWidth, height() - m_lineWidth);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(m_color, m_lineWidth, Qt::SolidLine, Qt::RoundCap));
    painter->setBrush(Qt::NoBrush);
    // The painter counts angles anticlockwise in sixteenths of a degree; the arc runs clockwise.
    const int start = int(-(m_from * 360 + m_angle) * 16);
    const int span = int(-(m_to - m_from) * 360 * 16);
    painter->drawArc(circle, start, span);
}

void Polyline::paint(QPainter* painter)
{
    if (m_points.size() < 2)
        return;
    QPainterPath path;
    path.moveTo(m_points.front().x() * width(), m_points.front().y() * height());
    for (qsizetype i = 1; i < m_points.size(); ++i)
        path.lineTo(m_points[i].x() * width(), m_points[i].y() * height());
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(m_color, m_lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter->setBrush(Qt::NoBrush);
    painter->drawPath(path);
}

qreal CardSurface::reach() const
{
    return ShadowImageProvider::margin(m_shadowBlur) + std::abs(m_shadowOffsetY);
}

void CardSurface::paint(QPainter* painter)
{
    paintCard(painter, size());
}

void CardSurface::paintCard(QPainter* painter, QSizeF size) const
{
    const qreal r = reach();
    const QRectF card(r, r, size.width() - 2 * r, size.height() - 2 * r);
    if (card.width() <= 0 || card.height() <= 0)
        return;
    // The shadow: the nine-patch stretched once, here, around the card moved down by its offset.
    const QImage patch = ShadowImageProvider::ninePatch(m_radius, m_shadowBlur, m_shadowOpacity);
    const qreal edge = ShadowImageProvider::margin(m_shadowBlur) + std::ceil(m_radius);
    const QRectF shadow = card.adjusted(-edge + std::ceil(m_radius), -edge + std::ceil(m_radius),
                                        edge - std::ceil(m_radius), edge - std::ceil(m_radius))
                              .translated(0, m_shadowOffsetY);
    const qreal sw = patch.width();
    const qreal sh = patch.height();
    const qreal xs[] = {0, edge, sw - edge, sw};
    const qreal ys[] = {0, edge, sh - edge, sh};
    const qreal xt[] = {shadow.left(), shadow.left() + edge, shadow.right() - edge, shadow.right()};
    const qreal yt[] = {shadow.top(), shadow.top() + edge, shadow.bottom() - edge, shadow.bottom()};
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            painter->drawImage(QRectF(xt[column], yt[row], xt[column + 1] - xt[column], yt[row + 1] - yt[row]), patch,
                               QRectF(xs[column], ys[row], xs[column + 1] - xs[column], ys[row + 1] - ys[row]));
    // The card: filled, with a hairline drawn inside its edge.
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(m_color);
    painter->drawRoundedRect(card, m_radius, m_radius);
    painter->setPen(QPen(m_borderColor, 1));
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), m_radius - 0.5, m_radius - 0.5);
}

int CardSurface::corner() const
{
    // Past the card's rounded corner and past the shadow's, which the offset moves down; a pixel
    // more for the outline's antialiasing and one for rounding.
    return int(std::ceil(reach() + std::abs(m_shadowOffsetY) + std::ceil(m_radius))) + 2;
}

void CardSurface::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry)
{
    // A new size needs new pieces, not a new picture.
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size())
        update();
}

namespace {

// The pieces of a card, with the picture they share: it goes when they go.
class PiecesNode : public QSGNode {
public:
    ~PiecesNode() override { delete texture; }
    QSGTexture* texture = nullptr;
    QSize pictureSize;
    QColor middle;
};

struct Span {
    qreal target0, target1;
    int source0, source1;
};

// Along one axis of length `length` (the picture's `picture` = 2 * corner + 1, or the whole length
// where that is shorter): the start, the middle pixel stretched, the end.
std::vector<Span> spans(int length, int picture, int corner)
{
    if (picture == length)
        return {{0, qreal(length), 0, length}};
    return {{0, qreal(corner), 0, corner},
            {qreal(corner), qreal(length - corner), corner, corner + 1},
            {qreal(length - corner), qreal(length), corner + 1, picture}};
}

} // namespace

QSGNode* CardSurface::updatePaintNode(QSGNode* oldNode, UpdatePaintNodeData*)
{
    auto* node = static_cast<PiecesNode*>(oldNode);
    const QSize size = paintedSize();
    if (size.isEmpty()) {
        delete node;
        return nullptr;
    }
    const int c = corner();
    const QSize picture(std::min(size.width(), 2 * c + 1), std::min(size.height(), 2 * c + 1));
    const qreal ratio = window()->effectiveDevicePixelRatio();
    if (!node)
        node = new PiecesNode;
    if (m_dirty || node->pictureSize != picture || !node->texture) {
        const QImage image = paintedImage(picture, ratio, [&](QPainter* p) { paintCard(p, QSizeF(picture)); });
        delete node->texture;
        node->texture = window()->createTextureFromImage(image, QQuickWindow::TextureHasAlphaChannel);
        node->pictureSize = picture;
        node->middle = QColor::fromRgba(qUnpremultiply(image.pixel(image.width() / 2, image.height() / 2)));
        m_dirty = false;
    }
    const std::vector<Span> rows = spans(size.height(), picture.height(), c);
    const std::vector<Span> columns = spans(size.width(), picture.width(), c);
    // The middle of nine pieces is its one colour, filled: what animates over the card repaints a
    // plain fill instead of a pixel stretched across the card.
    const bool nine = rows.size() == 3 && columns.size() == 3;
    // The pieces stay and only move: the software renderer misplaces pieces added to a node it
    // has drawn before.
    if (node->childCount() != int(rows.size() * columns.size())) {
        while (QSGNode* piece = node->firstChild()) {
            node->removeChildNode(piece);
            delete piece;
        }
        for (std::size_t i = 0; i < rows.size() * columns.size(); ++i) {
            if (nine && i == 4) {
                node->appendChildNode(window()->createRectangleNode());
                continue;
            }
            QSGImageNode* piece = window()->createImageNode();
            piece->setFiltering(QSGTexture::Nearest);
            node->appendChildNode(piece);
        }
    }
    QSGNode* piece = node->firstChild();
    for (const Span& row : rows) {
        for (const Span& column : columns) {
            const QRectF target(column.target0, row.target0, column.target1 - column.target0, row.target1 - row.target0);
            if (nine && piece == node->childAtIndex(4)) {
                auto* fill = static_cast<QSGRectangleNode*>(piece);
                fill->setRect(target);
                fill->setColor(node->middle);
            } else {
                auto* image = static_cast<QSGImageNode*>(piece);
                image->setTexture(node->texture);
                image->setRect(target);
                image->setSourceRect(QRectF(column.source0 * ratio, row.source0 * ratio,
                                            (column.source1 - column.source0) * ratio, (row.source1 - row.source0) * ratio));
            }
            piece = piece->nextSibling();
        }
    }
    return node;
}

} // namespace kw::ui

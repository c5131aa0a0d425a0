#include "ui/ShadowImageProvider.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <vector>

namespace kw::ui {

namespace {

// One pass of a box blur over the alpha channel, along rows or columns.
void boxBlur(std::vector<float>& alpha, int width, int height, int radius, bool horizontal)
{
    if (radius < 1)
        return;
    const int length = horizontal ? width : height;
    const int lines = horizontal ? height : width;
    std::vector<float> line(static_cast<std::size_t>(length));
    for (int l = 0; l < lines; ++l) {
        auto at = [&](int i) -> float& {
            return horizontal ? alpha[std::size_t(l * width + i)] : alpha[std::size_t(i * width + l)];
        };
        for (int i = 0; i < length; ++i)
            line[std::size_t(i)] = at(i);
        float sum = 0;
        for (int i = -radius; i <= radius; ++i)
            sum += line[std::size_t(std::clamp(i, 0, length - 1))];
        for (int i = 0; i < length; ++i) {
            at(i) = sum / float(2 * radius + 1);
            sum += line[std::size_t(std::min(i + radius + 1, length - 1))];
            sum -= line[std::size_t(std::max(i - radius, 0))];
        }
    }
}

} // namespace

QImage ShadowImageProvider::requestImage(const QString& id, QSize* size, const QSize&)
{
    const QStringList parts = id.split(u'/');
    QImage result = ninePatch(parts.value(0).toDouble(), parts.value(1).toDouble(),
                              std::clamp(parts.value(2).toDouble(), 0.0, 1.0));
    if (size)
        *size = result.size();
    return result;
}

QImage ShadowImageProvider::ninePatch(qreal radius, qreal blur, qreal opacity)
{
    const int m = margin(blur);
    const int corner = int(std::ceil(radius));
    const int side = 2 * (m + corner) + 2;

    QImage shape(side, side, QImage::Format_Alpha8);
    shape.fill(0);
    {
        QPainter painter(&shape);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(m, m, side - 2 * m, side - 2 * m), radius, radius);
        painter.fillPath(path, Qt::black);
    }
    std::vector<float> alpha(static_cast<std::size_t>(side * side));
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            alpha[std::size_t(y * side + x)] = float(shape.constScanLine(y)[x]) / 255.f;
    // Three box passes come close to a Gaussian whose spread matches the blur radius.
    const int box = std::max(1, int(std::lround(blur / 2.0)));
    for (int pass = 0; pass < 3; ++pass) {
        boxBlur(alpha, side, side, box, true);
        boxBlur(alpha, side, side, box, false);
    }
    QImage result(side, side, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < side; ++y) {
        auto* row = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < side; ++x)
            row[x] = qRgba(0, 0, 0, int(std::lround(alpha[std::size_t(y * side + x)] * opacity * 255)));
    }
    return result;
}

} // namespace kw::ui

#include "ui/ShadowImageProvider.h"

#include <algorithm>
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

    // The shape's coverage, worked out here rather than painted: Qt spreads painting over a thread
    // pool whose hand-over ThreadSanitizer cannot see, and this code reads the pixels back.
    const QRectF box(m, m, side - 2 * m, side - 2 * m);
    const qreal r = std::min({radius, box.width() / 2, box.height() / 2});
    const auto inside = [&](qreal x, qreal y) {
        if (!box.contains(x, y))
            return false;
        const qreal cx = std::clamp(x, box.left() + r, box.right() - r);
        const qreal cy = std::clamp(y, box.top() + r, box.bottom() - r);
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
    };
    constexpr int samples = 4; // per axis and pixel
    std::vector<float> alpha(static_cast<std::size_t>(side * side));
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            int hits = 0;
            for (int sy = 0; sy < samples; ++sy)
                for (int sx = 0; sx < samples; ++sx)
                    hits += inside(x + (sx + 0.5) / samples, y + (sy + 0.5) / samples) ? 1 : 0;
            alpha[std::size_t(y * side + x)] = float(hits) / float(samples * samples);
        }
    // Three box passes come close to a Gaussian whose spread matches the blur radius.
    const int spread = std::max(1, int(std::lround(blur / 2.0)));
    for (int pass = 0; pass < 3; ++pass) {
        boxBlur(alpha, side, side, spread, true);
        boxBlur(alpha, side, side, spread, false);
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

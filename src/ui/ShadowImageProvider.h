#pragma once

#include <QQuickImageProvider>

namespace kw::ui {

// Pictures of blurred rounded rectangles for nine-patch shadows ("image://shadow/RADIUS/BLUR/ALPHA").
// Made once per look and stretched by the scene graph: a shadow costs nothing when its item resizes,
// on any renderer.
class ShadowImageProvider final : public QQuickImageProvider {
public:
    ShadowImageProvider() : QQuickImageProvider(QQuickImageProvider::Image) {}
    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;

    // The nine-patch picture itself: a blurred rounded rectangle with margin(blur) around it.
    static QImage ninePatch(qreal radius, qreal blur, qreal opacity);

    // The width of the blurred rim around the shape, which the nine-patch keeps unstretched.
    static int margin(qreal blur) { return int(std::ceil(blur * 2)); }
};

} // namespace kw::ui

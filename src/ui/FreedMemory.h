#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace kw::ui {

// What the window frees goes back to the system instead of staying with the process. With glibc,
// freed memory otherwise stays in its heap: the pictures of a screen that has left, and the many
// small blocks of its objects, between blocks still in use. Other C libraries return it themselves.
class FreedMemory : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
public:
    using QObject::QObject;

    // The window's large pictures (backdrops, glows: up to a few MiB) come and go with its
    // screens. After the first such block is freed, glibc raises the size from which it maps
    // blocks of their own and keeps later ones in its heap; a fixed threshold of 512 KiB gives
    // them back as soon as they are freed, while the small pictures that animations paint many
    // times a second stay in the heap for reuse. Every window session calls it as it starts.
    static void mapLargeBlocks();

    // The heap's free pages, given back: after a screen has left and its objects are gone.
    Q_INVOKABLE static void giveBack();
};

} // namespace kw::ui

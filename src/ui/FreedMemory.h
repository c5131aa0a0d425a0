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

    // Pictures of the window's shapes and cards (a few hundred KiB each) come and go with its
    // screens and animations. After the first such block is freed, glibc raises the size from
    // which it maps blocks of their own and keeps later ones in its heap; a fixed threshold gives
    // every large block back as soon as it is freed. Call before the first window is made.
    static void mapLargeBlocks();

    // The heap's free pages, given back: after a screen has left and its objects are gone.
    Q_INVOKABLE static void giveBack();
};

} // namespace kw::ui

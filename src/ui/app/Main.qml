import QtQuick
import QtQuick.Templates as T
import Kabelwacht

// The one window. Its title bar is hidden: the content reaches the top edge, the window is moved by
// its background and resized at its edges, and three small buttons stand where a Mac keeps them.
T.ApplicationWindow {
    id: window
    required property var model
    // Screenshots and tests look at end states; they switch animations off.
    property bool animationsEnabled: true
    onAnimationsEnabledChanged: Theme.animationsEnabled = animationsEnabled
    Component.onCompleted: Theme.animationsEnabled = animationsEnabled

    width: 1080
    height: 740
    minimumWidth: 980
    minimumHeight: 680
    visible: true
    title: "Kabelwacht ZIV-A Dodiv"
    flags: AppInfo.windowFlags
    color: Theme.backgroundBottom
    font.family: Theme.sansFamily

    // Dragging anywhere that is not a control moves the window.
    DragHandler {
        target: null
        grabPermissions: PointerHandler.TakeOverForbidden
        onActiveChanged: if (active) window.startSystemMove()
    }

    RootView {
        id: rootView
        objectName: "rootView"
        anchors.fill: parent
        model: window.model
    }

    WindowButtons {
        x: 14
        y: 12
        window: window
        visible: !AppInfo.nativeWindowButtons
    }

    ResizeEdges { window: window; visible: !AppInfo.nativeWindowButtons }

    // The keys for what the window buttons do; Qt reads Ctrl as Command on a Mac. Named rather than
    // taken from the platform theme, which gives some platforms (and tests' offscreen one) none.
    Shortcut {
        objectName: "closeShortcut"
        sequence: "Ctrl+W"
        onActivated: window.close()
    }
    Shortcut {
        objectName: "quitShortcut"
        sequence: "Ctrl+Q"
        onActivated: Qt.quit()
    }
    Shortcut {
        objectName: "minimiseShortcut"
        sequence: "Ctrl+M"
        onActivated: window.showMinimized()
    }
}

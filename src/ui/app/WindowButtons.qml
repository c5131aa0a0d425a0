import QtQuick
import Kabelwacht

// Close, minimise and zoom, as small round buttons over the sidebar's top corner.
Row {
    id: root
    required property var window
    spacing: 8

    HoverHandler { id: hover }

    component WindowButton: Rectangle {
        id: button
        property color tint
        property string glyph
        signal activated()
        width: 12; height: 12
        radius: 6
        color: tint
        border.color: Qt.darker(tint, 1.25)
        border.width: 0.5
        Icon {
            anchors.centerIn: parent
            visible: hover.hovered
            name: button.glyph
            size: 7.5
            color: Qt.rgba(0, 0, 0, 0.55)
        }
        TapHandler { onTapped: button.activated() }
    }

    WindowButton {
        objectName: "closeButton"
        tint: "#ff5f57"
        glyph: "window.close"
        onActivated: root.window.close()
    }
    WindowButton {
        objectName: "minimiseButton"
        tint: "#febc2e"
        glyph: "window.minimize"
        onActivated: root.window.showMinimized()
    }
    WindowButton {
        objectName: "zoomButton"
        tint: "#28c840"
        glyph: root.window.visibility === Window.Maximized ? "window.restore" : "window.maximize"
        onActivated: root.window.visibility === Window.Maximized ? root.window.showNormal() : root.window.showMaximized()
    }
}

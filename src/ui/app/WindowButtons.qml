import QtQuick
import Kabelwacht

// Close, minimise and zoom, as small round buttons over the sidebar's top corner. As on a Mac, they
// are no stops of the Tab chain (a Space after a Tab would otherwise end the program); a screen
// reader still finds and presses them, and the keys of Main.qml do the same by keyboard.
Row {
    id: root
    required property var window
    spacing: 8

    HoverHandler { id: hover }

    component WindowButton: ButtonBase {
        id: button
        property color tint
        property string glyph
        width: 12; height: 12
        padding: 0
        focusPolicy: Qt.NoFocus
        focusRingRadius: 6
        focusRingColor: "white"
        background: Rectangle {
            radius: 6
            color: button.tint
            border.color: Qt.darker(button.tint, 1.25)
            border.width: 0.5
        }
        contentItem: Icon {
            visible: hover.hovered
            name: button.glyph
            size: 7.5
            color: Qt.rgba(0, 0, 0, 0.55)
        }
    }

    WindowButton {
        objectName: "closeButton"
        tint: "#ff5f57"
        glyph: "window.close"
        text: "Fenster schließen"
        onClicked: root.window.close()
    }
    WindowButton {
        objectName: "minimiseButton"
        tint: "#febc2e"
        glyph: "window.minimize"
        text: "Fenster minimieren"
        onClicked: root.window.showMinimized()
    }
    WindowButton {
        objectName: "zoomButton"
        readonly property bool zoomed: root.window.visibility === Window.Maximized
        tint: "#28c840"
        glyph: zoomed ? "window.restore" : "window.maximize"
        text: zoomed ? "Fenstergröße wiederherstellen" : "Fenster maximieren"
        onClicked: zoomed ? root.window.showNormal() : root.window.showMaximized()
    }
}

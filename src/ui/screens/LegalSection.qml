import QtQuick
import QtQuick.Layouts
import Kabelwacht

// A titled white panel of the legal sheet.
Rectangle {
    id: root
    property string title
    default property alias content: body.data

    Layout.fillWidth: true
    implicitHeight: column.implicitHeight + 40
    radius: 18
    color: Qt.rgba(1, 1, 1, 0.58)
    border.color: Qt.rgba(1, 1, 1, 0.6)
    border.width: 1

    ColumnLayout {
        id: column
        anchors.fill: parent
        anchors.margins: 20
        spacing: 11
        StyledText { text: root.title; heading: true; size: 15; font.weight: Font.Bold }
        ColumnLayout {
            id: body
            Layout.fillWidth: true
            spacing: 11
        }
    }
}

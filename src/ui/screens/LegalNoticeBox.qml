import QtQuick
import QtQuick.Layouts
import Kabelwacht

// A notice of the legal sheet: a tinted symbol tile beside a title and its texts.
Rectangle {
    id: root
    property string title
    property string systemImage
    property color tint: Theme.brandGreen
    default property alias content: body.data

    Layout.fillWidth: true
    implicitHeight: row.implicitHeight + 40
    radius: 20
    color: Qt.rgba(1, 1, 1, 0.58)
    border.color: Theme.withAlpha(root.tint, 0.2)
    border.width: 1

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.margins: 20
        spacing: 16
        Rectangle {
            Layout.alignment: Qt.AlignTop
            width: 42; height: 42
            radius: 13
            color: Theme.withAlpha(root.tint, 0.13)
            Icon {
                anchors.centerIn: parent
                name: root.systemImage
                size: 19
                font.weight: Font.DemiBold
                color: root.tint
            }
        }
        ColumnLayout {
            Layout.fillWidth: true
            Layout.alignment: Qt.AlignTop
            spacing: 9
            StyledText { text: root.title; heading: true; size: 17; font.weight: Font.Bold; Layout.fillWidth: true; wrapMode: Text.WordWrap }
            ColumnLayout {
                id: body
                Layout.fillWidth: true
                spacing: 9
            }
        }
    }
}

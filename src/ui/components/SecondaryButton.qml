import QtQuick
import Kabelwacht

// The quiet white action button.
ButtonBase {
    id: control
    property string iconName
    leftPadding: 20
    rightPadding: 20
    topPadding: 0
    bottomPadding: 0
    implicitWidth: implicitContentWidth + leftPadding + rightPadding
    implicitHeight: Math.max(44, implicitContentHeight)
    focusRingRadius: 13

    contentItem: Item {
        implicitWidth: row.implicitWidth
        implicitHeight: row.implicitHeight
        Row {
            id: row
            spacing: 7
            anchors.centerIn: parent
            Icon {
                visible: control.iconName !== ""
                name: control.iconName
                size: 14
                color: Theme.withAlpha(Theme.primaryLabel, 0.82 * Theme.primaryLabel.a)
                anchors.verticalCenter: parent.verticalCenter
            }
            StyledText {
                Accessible.ignored: true
                text: control.text
                size: 14
                font.weight: Font.DemiBold
                color: Theme.withAlpha(Theme.primaryLabel, 0.82 * Theme.primaryLabel.a)
                anchors.verticalCenter: parent.verticalCenter
            }
        }
    }
    background: Rectangle {
        radius: 13
        color: Qt.rgba(1, 1, 1, control.down ? 0.45 : 0.72)
        border.color: Qt.rgba(0, 0, 0, 0.08)
        border.width: 1
    }
}

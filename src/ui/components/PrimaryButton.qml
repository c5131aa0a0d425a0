import QtQuick
import Kabelwacht

// The prominent green action button.
ButtonBase {
    id: control
    property string iconName
    leftPadding: 24
    rightPadding: 24
    topPadding: 0
    bottomPadding: 0
    implicitWidth: implicitContentWidth + leftPadding + rightPadding
    implicitHeight: Math.max(48, implicitContentHeight)
    focusRingRadius: 14
    scale: down ? 0.98 : 1
    opacity: down ? 0.9 : 1

    contentItem: Item {
        implicitWidth: row.implicitWidth
        implicitHeight: row.implicitHeight
        Row {
            id: row
            spacing: 8
            anchors.centerIn: parent
            Icon {
                visible: control.iconName !== ""
                name: control.iconName
                size: 15
                color: "white"
                anchors.verticalCenter: parent.verticalCenter
            }
            StyledText {
                Accessible.ignored: true
                text: control.text
                size: 15
                font.weight: Font.DemiBold
                color: "white"
                anchors.verticalCenter: parent.verticalCenter
            }
        }
    }
    background: DiagonalGradient {
        radius: 14
        startColor: Theme.brandGreen
        endColor: Theme.brandDarkGreen
    }
}

import QtQuick
import Kabelwacht

// The confirmation capsule, there only while a message is.
Item {
    id: root
    property var message: null
    readonly property bool shown: message !== null && message !== undefined
    property string lastMessage: ""
    onMessageChanged: if (message !== null && message !== undefined) lastMessage = message

    implicitWidth: capsule.width
    implicitHeight: capsule.height
    visible: capsule.opacity > 0

    Rectangle {
        id: capsule
        objectName: "messageCapsule"
        width: row.implicitWidth + 32
        height: row.implicitHeight + 22
        radius: height / 2
        color: Theme.brandDarkGreen
        opacity: root.shown ? 1 : 0
        y: root.shown ? 0 : 12 // rises into place, and sinks as it goes
        Behavior on opacity { NumberAnimation { duration: Theme.overlayTransitionDuration; easing.type: Easing.InOutQuad } }
        Behavior on y { NumberAnimation { duration: Theme.overlayTransitionDuration; easing.type: Easing.InOutQuad } }

        Row {
            id: row
            anchors.centerIn: parent
            spacing: 6
            Icon { name: "checkmark.circle.fill"; size: 13; color: "white"; anchors.verticalCenter: parent.verticalCenter }
            StyledText {
                objectName: "messageText"
                text: root.lastMessage
                size: 13
                font.weight: Font.DemiBold
                color: "white"
                anchors.verticalCenter: parent.verticalCenter
            }
        }
    }
}

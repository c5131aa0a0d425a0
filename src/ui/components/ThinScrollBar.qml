import QtQuick
import QtQuick.Templates as T

// The window's scroll bar: a thin rounded thumb in a mid grey, shown while the view
// moves (or all the time with AlwaysOn) and faded out soon after it stops. Drawn here rather than
// taken from a Qt Quick Controls style, so that no style has to be loaded for one bar.
T.ScrollBar {
    id: control
    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset, implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset, implicitContentHeight + topPadding + bottomPadding)
    padding: 2
    visible: policy !== T.ScrollBar.AlwaysOff
    minimumSize: orientation === Qt.Horizontal ? height / width : width / height

    contentItem: Rectangle {
        implicitWidth: control.interactive ? 6 : 2
        implicitHeight: control.interactive ? 6 : 2
        radius: width / 2
        color: control.pressed ? "#353637" : "#bdbdbd" // a mid grey; near black while dragged
        opacity: 0
        // Appears at once; lingers a moment before it fades.
        states: State {
            name: "shown"
            when: control.policy === T.ScrollBar.AlwaysOn || (control.active && control.size < 1)
            PropertyChanges { control.contentItem.opacity: 0.75 }
        }
        transitions: Transition {
            from: "shown"
            SequentialAnimation {
                PauseAnimation { duration: 450 }
                NumberAnimation { target: control.contentItem; property: "opacity"; duration: 200; to: 0 }
            }
        }
    }
}

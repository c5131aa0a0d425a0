import QtQuick
import QtQuick.Templates as T
import Kabelwacht

// What every button of the window shares, whatever it looks like: Return and Enter press it as
// Space does, a screen reader's press is a click, and the keyboard focus shows as a ring.
T.Button {
    id: control
    property alias focusRingRadius: ring.cornerRadius
    property alias focusRingColor: ring.ringColor
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()
    Accessible.onPressAction: clicked()
    FocusRing { id: ring; control: control }
}

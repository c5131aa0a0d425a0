import QtQuick
import QtQuick.Layouts
import Kabelwacht

// One step of the sidebar: a round badge and the step's title and subtitle.
RowLayout {
    id: root
    property int number
    property string title
    property string subtitle
    // "completed", "current" or "upcoming"
    property string stepState
    readonly property bool upcoming: stepState === "upcoming"

    spacing: 13
    // One line for a reader: "Schritt 2 von 4, Anschlüsse testen, aktuell".
    Accessible.role: Accessible.StaticText
    Accessible.name: "Schritt " + number + " von 4, " + title + ", "
                     + (stepState === "completed" ? "erledigt" : stepState === "current" ? "aktuell" : "ausstehend")
    Accessible.description: subtitle

    Rectangle {
        objectName: "badge"
        Layout.alignment: Qt.AlignTop
        width: 30; height: 30
        radius: 15
        color: root.upcoming ? Qt.rgba(1, 1, 1, 0.13) : "white"
        Icon {
            visible: root.stepState === "completed"
            anchors.centerIn: parent
            name: "checkmark"
            size: 12
            color: Theme.brandDarkGreen
        }
        StyledText {
            objectName: "badgeNumber"
            Accessible.ignored: true
            visible: root.stepState !== "completed"
            anchors.centerIn: parent
            text: String(root.number)
            size: 12
            font.weight: Font.Bold
            color: root.upcoming ? Qt.rgba(1, 1, 1, 0.55) : Theme.brandDarkGreen
        }
    }
    ColumnLayout {
        spacing: 3
        Layout.fillWidth: true
        Layout.alignment: Qt.AlignTop
        StyledText {
            objectName: "stepTitle"
            Accessible.ignored: true
            text: root.title
            size: 14
            font.weight: root.stepState === "current" ? Font.Bold : Font.DemiBold
            color: root.upcoming ? Qt.rgba(1, 1, 1, 0.55) : "white"
        }
        StyledText {
            objectName: "stepSubtitle"
            Accessible.ignored: true
            Layout.fillWidth: true
            text: root.subtitle
            size: 11.5
            wrapMode: Text.WordWrap
            color: root.upcoming ? Qt.rgba(1, 1, 1, 0.34) : Qt.rgba(1, 1, 1, 0.66)
        }
    }
}

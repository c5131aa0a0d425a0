import QtQuick
import QtQuick.Layouts
import Kabelwacht

// Stands in for a screen that is not built yet: names the phase and offers its actions.
Item {
    id: root
    required property var model
    property string title
    property var actions: []

    GlassCard {
        anchors.centerIn: parent
        ColumnLayout {
            spacing: 14
            StyledText { text: root.title; size: 22; rounded: true; font.weight: Font.Bold }
            StyledText { text: "Status: " + root.model.portTestStatus + " · " + root.model.secondsRemaining + " s"; size: 13; color: Theme.secondaryLabel }
            Row {
                spacing: 10
                Repeater {
                    model: root.actions
                    delegate: SecondaryButton {
                        required property var modelData
                        text: modelData.text
                        onClicked: root.model[modelData.call]()
                    }
                }
            }
        }
    }
}

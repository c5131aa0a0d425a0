import QtQuick
import QtQuick.Layouts
import Kabelwacht

// A caption, a large value and a sub-caption, stacked and centred.
ColumnLayout {
    property string caption
    property string value
    property string subCaption
    spacing: 2
    // Read as one line: "Erwartet: 3 USB-C Controller".
    Accessible.role: Accessible.StaticText
    Accessible.name: caption + ": " + value + " " + subCaption
    StyledText { Accessible.ignored: true; Layout.alignment: Qt.AlignHCenter; text: parent.caption; size: 11; font.weight: Font.DemiBold; color: Theme.secondaryLabel }
    StyledText { Accessible.ignored: true; objectName: "metricValue"; Layout.alignment: Qt.AlignHCenter; text: parent.value; size: 27; rounded: true; font.weight: Font.Bold }
    StyledText { Accessible.ignored: true; Layout.alignment: Qt.AlignHCenter; text: parent.subCaption; size: 11; color: Theme.secondaryLabel }
}

import QtQuick
import Kabelwacht

// Body text the user can select and copy, with the sheet's extra line spacing.
TextEdit {
    id: self
    property real size: 13.5
    property real lineSpacing: 3
    // Plain text in, rich text out: only to carry the line spacing, which TextEdit lacks otherwise.
    property string plainText
    readOnly: true
    // Readers get the words, not the markup that carries the spacing.
    Accessible.role: Accessible.StaticText
    Accessible.name: plainText
    selectByMouse: true
    selectByKeyboard: true
    persistentSelection: false
    wrapMode: TextEdit.Wrap
    textFormat: TextEdit.RichText
    font.family: Theme.sansFamily
    font.pointSize: Typography.pointSize(size)
    color: Theme.secondaryLabel
    selectionColor: Theme.withAlpha(Theme.brandGreen, 0.35)
    selectedTextColor: Theme.primaryLabel
    text: "<div style=\"line-height: " + Math.round(fontInfoHeight + lineSpacing) + "px\">"
          + plainText.replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;").replace(/\n/g, "<br>")
          + "</div>"
    readonly property real fontInfoHeight: metrics.height
    FontMetrics { id: metrics; font: self.font }
}

pragma Singleton
import QtQuick

// Palette, fonts and motion shared by every screen.
QtObject {
    readonly property color brandGreen: Qt.rgba(0.12, 0.48, 0.25, 1)
    readonly property color brandDarkGreen: Qt.rgba(0.05, 0.25, 0.13, 1)
    readonly property color brandMint: Qt.rgba(0.62, 0.91, 0.70, 1)
    readonly property color alertRed: Qt.rgba(0.80, 0.18, 0.18, 1)
    readonly property color cautionOrange: Qt.rgba(0.88, 0.54, 0.10, 1)
    // The standard blue of the platform's light appearance.
    readonly property color systemBlue: Qt.rgba(0.0, 0.48, 1.0, 1)
    // The keyboard focus ring: the brand's green, strong enough to read on the glass cards.
    readonly property color focusRing: Qt.rgba(0.12, 0.48, 0.25, 0.9)

    // Label colours of a light appearance: black at the platform's label opacities.
    readonly property color primaryLabel: Qt.rgba(0, 0, 0, 0.85)
    readonly property color secondaryLabel: Qt.rgba(0, 0, 0, 0.5)
    readonly property color secondaryColor: Qt.rgba(0.557, 0.557, 0.576, 1)

    readonly property color backgroundTop: Qt.rgba(0.95, 0.98, 0.96, 1)
    readonly property color backgroundBottom: Qt.rgba(0.88, 0.94, 0.90, 1)

    readonly property string sansFamily: inter.font.family
    readonly property string roundedFamily: nunito.font.family
    readonly property string iconFamily: icons.font.family
    // The text face with all figures one width, for numbers that count up or down.
    readonly property string digitsFamily: interTabular.font.family
    // Line height of the platform's text faces, as a multiple of the font size.
    readonly property real lineHeightRatio: 1.19

    // Tests switch animations off to look at end states at once.
    property bool animationsEnabled: true
    readonly property int overlayTransitionDuration: animationsEnabled ? 350 : 0

    function withAlpha(c, a) { return Qt.rgba(c.r, c.g, c.b, a) }

    readonly property FontLoader inter: FontLoader { source: Qt.resolvedUrl("assets/fonts/Inter-Regular.otf") }
    readonly property FontLoader interMedium: FontLoader { source: Qt.resolvedUrl("assets/fonts/Inter-Medium.otf") }
    readonly property FontLoader interSemiBold: FontLoader { source: Qt.resolvedUrl("assets/fonts/Inter-SemiBold.otf") }
    readonly property FontLoader interBold: FontLoader { source: Qt.resolvedUrl("assets/fonts/Inter-Bold.otf") }
    readonly property FontLoader nunito: FontLoader { source: Qt.resolvedUrl("assets/fonts/Nunito-Bold.ttf") }
    readonly property FontLoader nunitoSemiBold: FontLoader { source: Qt.resolvedUrl("assets/fonts/Nunito-SemiBold.ttf") }
    readonly property FontLoader interTabular: FontLoader { source: Qt.resolvedUrl("assets/fonts/InterTabular-Bold.otf") }
    readonly property FontLoader icons: FontLoader { source: Qt.resolvedUrl("assets/fonts/KabelwachtIcons.ttf") }
}

pragma Singleton
import QtQuick

// The panel's colours, type sizes and spacing.
QtObject {
    readonly property color bgTop: Qt.rgba(0.11, 0.09, 0.2, 1)
    readonly property color bgBottom: Qt.rgba(0.05, 0.09, 0.16, 1)
    readonly property color accent: Qt.rgba(1.0, 0.5, 0.3, 1)
    readonly property color accent2: Qt.rgba(0.93, 0.3, 0.58, 1)
    readonly property color mint: Qt.rgba(0.35, 0.9, 0.72, 1)
    readonly property color sky: Qt.rgba(0.4, 0.7, 1.0, 1)
    readonly property color gold: Qt.rgba(1.0, 0.8, 0.35, 1)
    readonly property color lilac: Qt.rgba(0.72, 0.58, 1.0, 1)
    readonly property color card: Qt.rgba(1, 1, 1, 0.055)
    readonly property color stroke: Qt.rgba(1, 1, 1, 0.09)
    readonly property color text: Qt.rgba(1, 1, 1, 0.92)
    readonly property color dim: Qt.rgba(1, 1, 1, 0.55)

    // Hover and pressed washes over controls, and the keyboard focus ring.
    readonly property color hover: Qt.rgba(1, 1, 1, 0.08)
    readonly property color pressed: Qt.rgba(1, 1, 1, 0.14)
    readonly property color selection: Qt.rgba(1, 1, 1, 0.12)
    readonly property color focusRing: sky
    readonly property color well: Qt.rgba(0, 0, 0, 0.22)

    readonly property int fontTitle: 26
    readonly property int fontHeading: 15
    readonly property int fontBody: 13
    readonly property int fontSmall: 11
    readonly property string monoFamily: "monospace"

    readonly property int spacing: 12
    readonly property int spacingLarge: 20
    readonly property int pagePadding: 28
    readonly property int radius: 14
    readonly property int radiusSmall: 9
    readonly property int controlHeight: 30
    readonly property int sidebarWidth: 260
}

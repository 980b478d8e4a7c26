import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts

// A secondary action: outlined, filled faintly on hover.
// (A Button inside: its own `icon` property cannot be given a symbol name.)
FocusScope {
    id: root

    property string text
    property string icon

    signal clicked()

    implicitWidth: button.implicitWidth
    implicitHeight: button.implicitHeight
    opacity: enabled ? 1 : 0.4

    Button {
        id: button
        anchors.fill: parent
        focus: true
        text: root.text
        onClicked: root.clicked()
        focusPolicy: Qt.StrongFocus
        hoverEnabled: true
        Accessible.name: text
        implicitHeight: Theme.controlHeight + 4
        leftPadding: 14
        rightPadding: 14

        contentItem: RowLayout {
            spacing: 7
            Icon {
                visible: root.icon !== ""
                name: root.icon
                color: Theme.text
                size: 15
            }
            Text {
                text: button.text
                color: Theme.text
                font.pixelSize: Theme.fontBody
                elide: Text.ElideRight
                Layout.fillWidth: true
            }
        }

        background: Rectangle {
            implicitWidth: 90
            radius: Theme.radiusSmall + 1
            color: button.down ? Theme.pressed : (button.hovered && button.enabled ? Theme.hover : "transparent")
            border.color: Qt.rgba(1, 1, 1, button.hovered && button.enabled ? 0.28 : 0.18)
            border.width: 1
            FocusRing { visible: button.visualFocus }
        }
    }
}

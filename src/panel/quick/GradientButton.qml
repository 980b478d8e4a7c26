import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts

// The primary action: filled with the accent gradient.
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
        leftPadding: 16
        rightPadding: 16

        contentItem: RowLayout {
            spacing: 7
            Icon {
                visible: root.icon !== ""
                name: root.icon
                color: "white"
                size: 15
            }
            Text {
                text: button.text
                color: "white"
                font.pixelSize: Theme.fontBody
                font.weight: Font.DemiBold
                elide: Text.ElideRight
                Layout.fillWidth: true
            }
        }

        background: Rectangle {
            implicitWidth: 100
            radius: Theme.radiusSmall + 1
            gradient: Gradient {
                orientation: Gradient.Horizontal
                GradientStop { position: 0; color: Theme.accent }
                GradientStop { position: 1; color: Theme.accent2 }
            }
            Rectangle {
                anchors.fill: parent
                radius: parent.radius
                color: button.down ? Qt.rgba(0, 0, 0, 0.16) : (button.hovered && button.enabled ? Qt.rgba(1, 1, 1, 0.14) : "transparent")
            }
            FocusRing { visible: button.visualFocus }
        }
    }
}

import QtQuick
import QtQuick.Layouts

// A rounded panel with a tinted icon, a title, optional trailing header content and a body of rows.
Rectangle {
    id: card

    property string icon
    property string title
    property color tint: Theme.accent
    default property alias content: body.data
    property alias trailing: trailingRow.data

    Layout.fillWidth: true
    implicitWidth: column.implicitWidth + 2 * Theme.spacingLarge
    implicitHeight: column.implicitHeight + 2 * Theme.spacingLarge - 2
    radius: Theme.radius
    color: Theme.card
    border.color: Theme.stroke
    border.width: 1

    ColumnLayout {
        id: column
        anchors.fill: parent
        anchors.margins: Theme.spacingLarge
        anchors.topMargin: Theme.spacingLarge - 2
        spacing: Theme.spacing + 2

        RowLayout {
            Layout.fillWidth: true
            spacing: 10

            Rectangle {
                visible: card.icon !== ""
                implicitWidth: 28
                implicitHeight: 28
                radius: 8
                color: Qt.rgba(card.tint.r, card.tint.g, card.tint.b, 0.16)
                Icon {
                    anchors.centerIn: parent
                    name: card.icon
                    color: card.tint
                    size: 16
                }
            }
            Text {
                Layout.fillWidth: true
                text: card.title
                color: Theme.text
                font.pixelSize: Theme.fontHeading
                font.weight: Font.DemiBold
                elide: Text.ElideRight
                Accessible.role: Accessible.Heading
            }
            RowLayout {
                id: trailingRow
                spacing: 8
            }
        }
        ColumnLayout {
            id: body
            Layout.fillWidth: true
            spacing: Theme.spacing
        }
    }
}

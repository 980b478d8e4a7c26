import QtQuick
import QtQuick.Layouts

// A page's title and subtitle, with optional trailing buttons.
RowLayout {
    id: header

    property string title
    property string subtitle
    property alias trailing: trailingRow.data

    Layout.fillWidth: true
    spacing: Theme.spacing

    ColumnLayout {
        Layout.fillWidth: true
        spacing: 4
        Text {
            Layout.fillWidth: true
            text: header.title
            color: Theme.text
            font.pixelSize: Theme.fontTitle
            font.weight: Font.Bold
            elide: Text.ElideRight
            Accessible.role: Accessible.Heading
        }
        Text {
            Layout.fillWidth: true
            visible: header.subtitle !== ""
            text: header.subtitle
            color: Theme.dim
            font.pixelSize: Theme.fontBody
            wrapMode: Text.Wrap
        }
    }
    RowLayout {
        id: trailingRow
        Layout.alignment: Qt.AlignTop
        spacing: 8
    }
}

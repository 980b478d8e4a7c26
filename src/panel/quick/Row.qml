import QtQuick
import QtQuick.Layouts

// A title on the left, content on the right.
RowLayout {
    id: row

    property string title
    default property alias content: contentRow.data

    Layout.fillWidth: true
    spacing: Theme.spacing

    Text {
        Layout.preferredWidth: 150
        Layout.maximumWidth: 150
        Layout.alignment: Qt.AlignVCenter
        text: row.title
        color: Theme.text
        font.pixelSize: Theme.fontBody
        // A long title takes a second line rather than losing its end.
        wrapMode: Text.Wrap
        maximumLineCount: 2
        elide: Text.ElideRight
    }
    RowLayout {
        id: contentRow
        Layout.fillWidth: true
        spacing: 8
    }
}

import QtQuick
import QtQuick.Layouts

// A short wrapped note: "dim" for information, "gold" for a warning.
Text {
    property string tone: "dim"

    Layout.fillWidth: true
    color: tone === "gold" ? Theme.gold : Theme.dim
    font.pixelSize: Theme.fontSmall + 1
    lineHeight: 1.15
    wrapMode: Text.Wrap
}

import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import QtQuick.Templates as T
import Plimsa.Panel

// The import report of a character under its portrait: one short line, gold when the model was refused or
// something fell back, and a "Details" link that opens the whole report in a popup.
ColumnLayout {
    id: line

    property PanelModel panel
    property string name

    objectName: "reportLine"
    spacing: 2
    visible: report.known

    function openDetails() { popup.open() }
    Layout.fillWidth: true

    CharacterReportModel {
        id: report
        panel: line.panel
        name: line.name
    }

    Text {
        objectName: "reportSummary"
        Layout.fillWidth: true
        text: report.summary
        color: report.needsAttention ? Theme.gold : Theme.dim
        font.pixelSize: Theme.fontSmall + 1
        wrapMode: Text.Wrap
        maximumLineCount: 2
        elide: Text.ElideRight
    }

    Text {
        id: link
        objectName: "reportDetails"
        text: "Details"
        color: linkArea.containsMouse || activeFocus ? Theme.text : Theme.sky
        font.pixelSize: Theme.fontSmall + 1
        font.underline: true
        activeFocusOnTab: true
        Accessible.role: Accessible.Link
        Accessible.name: "Details of " + line.name
        Keys.onReturnPressed: popup.open()
        Keys.onSpacePressed: popup.open()
        FocusRing { visible: link.activeFocus }
        MouseArea {
            id: linkArea
            anchors.fill: parent
            hoverEnabled: true
            cursorShape: Qt.PointingHandCursor
            onClicked: popup.open()
        }
    }

    Popup {
        id: popup
        objectName: "reportPopup"
        parent: T.Overlay.overlay
        anchors.centerIn: parent
        width: Math.min(parent ? parent.width - 80 : 520, 560)
        height: Math.min(parent ? parent.height - 80 : 420, content.implicitHeight + 2 * padding)
        modal: true
        focus: true
        padding: Theme.spacingLarge
        closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside

        T.Overlay.modal: Rectangle { color: Qt.rgba(0, 0, 0, 0.45) }

        background: Rectangle {
            radius: Theme.radius
            gradient: Gradient {
                GradientStop { position: 0; color: Theme.bgTop }
                GradientStop { position: 1; color: Theme.bgBottom }
            }
            border.color: Qt.rgba(1, 1, 1, 0.16)
        }

        contentItem: ColumnLayout {
            id: content
            spacing: Theme.spacing

            Text {
                text: "Import report: " + line.name
                color: Theme.text
                font.pixelSize: Theme.fontHeading
                font.weight: Font.DemiBold
                elide: Text.ElideRight
                Layout.fillWidth: true
            }
            ScrollView {
                Layout.fillWidth: true
                Layout.fillHeight: true
                implicitHeight: details.implicitHeight
                clip: true
                TextEdit {
                    id: details
                    objectName: "reportText"
                    width: popup.availableWidth
                    text: report.details
                    readOnly: true
                    selectByMouse: true
                    wrapMode: TextEdit.Wrap
                    color: Theme.text
                    selectionColor: Theme.selection
                    font.family: Theme.monoFamily
                    font.pixelSize: Theme.fontSmall + 1
                }
            }
            GhostButton {
                objectName: "button:Close report"
                Layout.alignment: Qt.AlignRight
                text: "Close"
                onClicked: popup.close()
            }
        }
    }
}

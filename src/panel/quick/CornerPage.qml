import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Plimsa.Panel

// One corner sitter's page: who sits, in which corner and how large, where it looks, and removing it.
Item {
    id: page

    property PanelModel panel
    property string recordId

    implicitHeight: column.implicitHeight + 2 * Theme.pagePadding

    CornerPageModel {
        id: corner
        panel: page.panel
        recordId: page.recordId
    }

    ScrollView {
        id: scroll
        anchors.fill: parent
        contentWidth: availableWidth

        ColumnLayout {
            id: column
            x: Theme.pagePadding
            y: Theme.pagePadding
            width: scroll.availableWidth - 2 * Theme.pagePadding
            spacing: Theme.spacingLarge

            PageHeader {
                title: corner.title
                subtitle: corner.subtitle
            }

            Card {
                icon: "person.fill"
                title: "Who's sitting"
                tint: Theme.accent2

                RowLayout {
                    Layout.fillWidth: true
                    spacing: Theme.spacingLarge

                    PortraitView {
                        visible: corner.character !== ""
                        panel: page.panel
                        name: corner.character
                        size: 88
                        live: true
                    }
                    Rectangle {
                        visible: corner.character === ""
                        implicitWidth: 88
                        implicitHeight: 88
                        radius: 88 * 0.22
                        color: Theme.well
                        border.color: Theme.stroke
                        Text {
                            anchors.fill: parent
                            anchors.margins: 6
                            text: "Empty seat"
                            color: Theme.dim
                            font.pixelSize: Theme.fontSmall + 1
                            wrapMode: Text.Wrap
                            horizontalAlignment: Text.AlignHCenter
                            verticalAlignment: Text.AlignVCenter
                        }
                    }
                    CharacterChoice {
                        objectName: "choice:Character"
                        Layout.maximumWidth: 320
                        enabled: corner.exists
                        names: page.panel ? page.panel.library : []
                        current: corner.character
                        onChosen: function(name) { corner.character = name }
                    }
                    Item { Layout.fillWidth: true }
                }
                CharacterReportLine {
                    panel: page.panel
                    name: corner.character
                }
            }

            Card {
                icon: "rectangle.bottomthird.inset.filled"
                title: "Placement"
                tint: Theme.sky

                Row {
                    title: "Corner"
                    PillPicker {
                        objectName: "picker:Corner"
                        title: "Corner"
                        enabled: corner.exists
                        options: corner.sideOptions
                        current: corner.side
                        onPicked: function(value) { corner.side = value }
                    }
                }
                Hint { text: corner.placementHint }
                SliderRow {
                    objectName: "slider:Size"
                    title: "Size"
                    enabled: corner.exists
                    from: corner.minSize
                    to: corner.maxSize
                    value: corner.size
                    text: page.panel ? page.panel.valueText(value, "") : ""
                    onMoved: function(value) { corner.size = value }
                }
                SliderRow {
                    objectName: "slider:Opacity"
                    title: "Opacity"
                    enabled: corner.exists
                    from: corner.minOpacity
                    to: corner.maxOpacity
                    value: corner.opacity
                    text: page.panel ? page.panel.valueText(value, "") : ""
                    onMoved: function(value) { corner.opacity = value }
                }
            }

            Card {
                icon: "eye.fill"
                title: "Head"
                tint: Theme.lilac

                PillPicker {
                    objectName: "picker:Head"
                    title: "Head"
                    enabled: corner.exists
                    options: corner.headOptions
                    current: corner.headMode
                    onPicked: function(value) { corner.headMode = value }
                }
            }

            RowLayout {
                Layout.fillWidth: true
                Item { Layout.fillWidth: true }
                GhostButton {
                    objectName: "button:Remove"
                    text: "Remove"
                    icon: "trash"
                    enabled: corner.exists
                    onClicked: corner.remove()
                }
            }

            Item { implicitHeight: Theme.pagePadding }
        }
    }
}

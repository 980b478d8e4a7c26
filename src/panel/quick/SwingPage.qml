import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Plimsa.Panel

// One swing's page: who sits on it, where it hangs, how it moves, its body and look, and each seat's fit.
// Repeaters count seats rather than take the seat lists as their model, so that a write from a control
// does not rebuild the control (or reload a portrait) under the pointer.
Item {
    id: page

    property PanelModel panel
    property string recordId

    implicitHeight: column.implicitHeight + 2 * Theme.pagePadding

    SwingPageModel {
        id: swing
        panel: page.panel
        recordId: page.recordId
    }

    readonly property var emptyRow: ({ title: "", from: 0, to: 1, unit: "", value: 0, text: "" })

    function seatCell(seat) {
        const cells = swing.seatCells
        return seat < cells.length ? cells[seat] : { seat: seat, caption: "", character: "", placeholder: "" }
    }
    function fitBlock(seat) {
        const blocks = swing.fits
        if (seat < blocks.length) return blocks[seat]
        return { seat: seat, caption: "", hint: { text: "", tone: "dim" },
                 sliders: { size: emptyRow, seatHeight: emptyRow, forward: emptyRow } }
    }

    // A slider bound to one of the swing's own fields.
    component SwingSlider: SliderRow {
        property SwingPageModel source
        property string key
        readonly property var row: source.sliders[key]

        objectName: "slider:" + row.title
        title: row.title
        from: row.from
        to: row.to
        value: row.value
        unit: row.unit
        text: row.text
        onMoved: function(value) { source.setSlider(key, value) }
    }

    // A titled pill picker. (Laid out as the module's Row is: QtQuick's own Row shadows that name here.)
    component PickerRow: RowLayout {
        id: pickerRow
        property string title
        property alias options: picker.options
        property alias current: picker.current
        signal picked(var value)

        Layout.fillWidth: true
        spacing: Theme.spacing

        Text {
            Layout.preferredWidth: 150
            Layout.alignment: Qt.AlignTop
            Layout.topMargin: (Theme.controlHeight - implicitHeight) / 2
            text: pickerRow.title
            color: Theme.text
            font.pixelSize: Theme.fontBody
            elide: Text.ElideRight
        }
        PillPicker {
            id: picker
            objectName: "picker:" + pickerRow.title
            title: pickerRow.title
            onPicked: function(value) { pickerRow.picked(value) }
        }
    }

    // Keyboard focus moving through the page brings the focused control into view.
    Connections {
        target: page.Window.window
        function onActiveFocusItemChanged() {
            const item = page.Window.activeFocusItem
            const flick = scroll.contentItem
            if (!item || !flick || !page.isInside(item)) return
            const top = item.mapToItem(flick.contentItem, 0, 0).y - Theme.spacing
            const bottom = top + item.height + 2 * Theme.spacing
            if (top < flick.contentY) flick.contentY = Math.max(0, top)
            else if (bottom > flick.contentY + flick.height) flick.contentY = bottom - flick.height
        }
    }
    function isInside(item) {
        for (let at = item; at; at = at.parent)
            if (at === column) return true
        return false
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
                title: swing.title
                trailing: [
                    GhostButton {
                        objectName: "button:Reset settings"
                        text: "Reset settings"
                        enabled: swing.exists
                        onClicked: swing.resetSettings()
                    },
                    GhostButton {
                        objectName: "button:Remove"
                        text: "Remove"
                        icon: "trash"
                        enabled: swing.exists
                        onClicked: swing.remove()
                    }
                ]
            }

            Card {
                icon: "person.2.fill"
                title: "Who's swinging"
                tint: Theme.accent2
                trailing: GhostButton {
                    objectName: "button:Get characters"
                    text: "Get characters"
                    icon: "sparkles"
                    onClicked: swing.getCharacters()
                }

                PillPicker {
                    objectName: "picker:Seats"
                    title: "Seats"
                    options: swing.seatCountOptions
                    current: swing.seatCount
                    onPicked: function(value) { swing.seatCount = value }
                }

                RowLayout {
                    Layout.fillWidth: true
                    spacing: Theme.spacing

                    Repeater {
                        model: swing.seatCount

                        ColumnLayout {
                            id: seatColumn
                            required property int index
                            readonly property var cell: page.seatCell(index)

                            Layout.fillWidth: true
                            Layout.preferredWidth: 1
                            spacing: 8

                            Text {
                                text: seatColumn.cell.caption
                                color: Theme.dim
                                font.pixelSize: Theme.fontSmall + 1
                                font.weight: Font.DemiBold
                            }
                            RowLayout {
                                spacing: Theme.spacing
                                Layout.fillWidth: true

                                PortraitView {
                                    visible: seatColumn.cell.character !== ""
                                    panel: page.panel
                                    name: seatColumn.cell.character
                                    size: 88
                                    live: true
                                }
                                Rectangle {
                                    visible: seatColumn.cell.character === ""
                                    implicitWidth: 88
                                    implicitHeight: 88
                                    radius: 88 * 0.22
                                    color: Theme.well
                                    border.color: Theme.stroke
                                    Text {
                                        anchors.fill: parent
                                        anchors.margins: 6
                                        text: seatColumn.cell.placeholder
                                        color: Theme.dim
                                        font.pixelSize: Theme.fontSmall + 1
                                        wrapMode: Text.Wrap
                                        horizontalAlignment: Text.AlignHCenter
                                        verticalAlignment: Text.AlignVCenter
                                    }
                                }
                                CharacterChoice {
                                    objectName: "choice:" + seatColumn.cell.caption
                                    Accessible.name: seatColumn.cell.caption
                                    Layout.minimumWidth: 120
                                    Layout.maximumWidth: 320
                                    names: page.panel ? page.panel.library : []
                                    current: seatColumn.cell.character
                                    onChosen: function(name) { swing.setCharacter(seatColumn.index, name) }
                                }
                            }
                            CharacterReportLine {
                                panel: page.panel
                                name: seatColumn.cell.character
                            }
                        }
                    }
                }

                PickerRow {
                    visible: swing.showsInnerHand
                    title: "Inner hands"
                    options: swing.handOptions
                    current: swing.innerHand
                    onPicked: function(value) { swing.innerHand = value }
                }
            }

            Card {
                icon: "arrow.left.and.right"
                title: "Placement"
                tint: Theme.sky

                PickerRow {
                    title: "Hangs from"
                    options: swing.attachOptions
                    current: swing.attach
                    onPicked: function(value) { swing.attach = value }
                }
                Hint { text: swing.attachHint }
                SwingSlider { source: swing; key: "position" }
                SwingSlider { source: swing; key: "overallSize" }
                Hint { text: swing.overallSizeHint }
            }

            Card {
                icon: "wind"
                title: "Motion"
                tint: Theme.mint

                PickerRow {
                    title: "Style"
                    options: swing.styleOptions
                    current: swing.style
                    onPicked: function(value) { swing.style = value }
                }
                SwingSlider { source: swing; key: "ropeLength" }
                SwingSlider { source: swing; key: "tilt" }
                SwingSlider { source: swing; key: "amplitude" }
                ToggleRow {
                    objectName: "toggle:Pump the legs"
                    title: "Pump the legs"
                    checked: swing.pumping
                    onToggled: function(checked) { swing.pumping = checked }
                }
                Hint { text: swing.motionHint }
            }

            Card {
                icon: "figure.walk"
                title: "Body"
                tint: Theme.accent

                SwingSlider { source: swing; key: "kick" }
                SwingSlider { source: swing; key: "lean" }
                SwingSlider { source: swing; key: "legs" }
                SwingSlider { source: swing; key: "gripHeight" }
                PickerRow {
                    title: "Head"
                    options: swing.headOptions
                    current: swing.headMode
                    onPicked: function(value) { swing.headMode = value }
                }
                PickerRow {
                    visible: swing.showsOuterHands
                    title: "Left hand"
                    options: swing.handOptions
                    current: swing.leftHand
                    onPicked: function(value) { swing.leftHand = value }
                }
                PickerRow {
                    visible: swing.showsOuterHands
                    title: "Right hand"
                    options: swing.handOptions
                    current: swing.rightHand
                    onPicked: function(value) { swing.rightHand = value }
                }
            }

            Card {
                icon: "paintbrush.fill"
                title: "Look"
                tint: Theme.lilac

                PickerRow {
                    title: "Swing skin"
                    options: swing.skinOptions
                    current: swing.skin
                    onPicked: function(value) { swing.skin = value }
                }
                SwingSlider { source: swing; key: "shine" }
            }

            Card {
                icon: "person.crop.square"
                title: "Character fit"
                tint: Theme.gold

                Repeater {
                    model: swing.seatCount

                    ColumnLayout {
                        id: fitColumn
                        required property int index
                        readonly property var block: page.fitBlock(index)

                        Layout.fillWidth: true
                        Layout.topMargin: index > 0 ? Theme.spacing : 0
                        spacing: Theme.spacing

                        Text {
                            text: fitColumn.block.caption
                            color: Theme.dim
                            font.pixelSize: Theme.fontSmall + 1
                            font.weight: Font.DemiBold
                        }
                        Repeater {
                            model: ["size", "seatHeight", "forward"]

                            SliderRow {
                                required property string modelData
                                readonly property var row: fitColumn.block.sliders[modelData]

                                objectName: "fit:" + fitColumn.index + ":" + row.title
                                title: row.title
                                accessibleName: fitColumn.block.caption + ": " + row.title
                                from: row.from
                                to: row.to
                                value: row.value
                                unit: row.unit
                                text: row.text
                                onMoved: function(value) { swing.setFitSlider(fitColumn.index, modelData, value) }
                            }
                        }
                        Hint {
                            objectName: "fitHint:" + fitColumn.index
                            visible: text !== ""
                            text: fitColumn.block.hint.text
                            tone: fitColumn.block.hint.tone
                        }
                    }
                }
            }

            Item { implicitHeight: Theme.pagePadding }
        }
    }
}

import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Plimsa.Panel

// Settings shared by every swing: light contrast and frame rate.
Item {
    id: page

    property PanelModel panel

    implicitHeight: column.implicitHeight + 2 * Theme.pagePadding

    GeneralPageModel {
        id: model
        panel: page.panel
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
                title: model.title
                subtitle: model.subtitle
            }

            Card {
                icon: "sun.max.fill"
                title: "Light"
                tint: Theme.gold
                SliderRow {
                    objectName: "lightContrast"
                    title: "Light contrast"
                    from: 0
                    to: 1
                    value: model.lightContrast
                    text: page.panel ? page.panel.valueText(value, "") : ""
                    onMoved: function(value) { model.lightContrast = value }
                }
            }

            Card {
                icon: "bolt.fill"
                title: "Performance"
                tint: Theme.mint
                Row {
                    title: "Frame rate"
                    PillPicker {
                        objectName: "frameRate"
                        title: "Frame rate"
                        options: model.frameRateOptions
                        current: model.frameRate
                        onPicked: function(value) { model.frameRate = value }
                    }
                }
                Hint { text: model.performanceHint }
            }

            Item { implicitHeight: Theme.pagePadding }
        }
    }
}

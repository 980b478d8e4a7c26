import QtQuick
import QtQuick.Shapes

// A symbol drawn from our own paths on a 24-unit grid: `fill` paths are filled (holes by the even-odd
// rule where marked), `line` paths are stroked. An unknown name draws nothing.
Item {
    id: icon

    property string name
    property color color: Theme.text
    property real size: 16

    readonly property var glyphs: ({
        "plus.circle.fill": { even: true, fill: "M12 2 a10 10 0 1 0 0.001 0 Z M11 7 h2 v4 h4 v2 h-4 v4 h-2 v-4 h-4 v-2 h4 Z" },
        "person.fill": { fill: "M12 2.5 a4.2 4.2 0 1 0 0.001 0 Z M3.5 21.5 c0-5.2 3.8-8.3 8.5-8.3 s8.5 3.1 8.5 8.3 Z" },
        "person.2.fill": { fill: "M9 4 a3.6 3.6 0 1 0 0.001 0 Z M1.5 20.5 c0-4.6 3.2-7.4 7.5-7.4 s7.5 2.8 7.5 7.4 Z M17 5 a3.1 3.1 0 1 0 0.001 0 Z M15.4 12.6 c3.9 0 7.1 2.5 7.1 7 h-4.4 c0-2.8-1-5.2-2.7-7 Z" },
        "person.crop.square": { fill: "M12 6 a3.2 3.2 0 1 0 0.001 0 Z M6.2 19.5 c0.3-3.6 2.8-5.6 5.8-5.6 s5.5 2 5.8 5.6 Z",
                                line: "M6 3 h12 a3 3 0 0 1 3 3 v12 a3 3 0 0 1 -3 3 h-12 a3 3 0 0 1 -3 -3 v-12 a3 3 0 0 1 3 -3 Z" },
        "slider.horizontal.3": { fill: "M7 3.5 a2.5 2.5 0 1 0 0.001 0 Z M16 9.5 a2.5 2.5 0 1 0 0.001 0 Z M10 15.5 a2.5 2.5 0 1 0 0.001 0 Z",
                                 line: "M3 6 h18 M3 12 h18 M3 18 h18" },
        "sparkles": { fill: "M10 2 L12 8 L18 10 L12 12 L10 18 L8 12 L2 10 L8 8 Z M18.5 13.5 L19.6 16.4 L22.5 17.5 L19.6 18.6 L18.5 21.5 L17.4 18.6 L14.5 17.5 L17.4 16.4 Z" },
        "sun.max.fill": { fill: "M12 6.5 a5.5 5.5 0 1 0 0.001 0 Z M19.20 13.10 L22.80 13.10 L22.80 10.90 L19.20 10.90 Z M16.31 17.87 L18.86 20.41 L20.41 18.86 L17.87 16.31 Z M10.90 19.20 L10.90 22.80 L13.10 22.80 L13.10 19.20 Z M6.13 16.31 L3.59 18.86 L5.14 20.41 L7.69 17.87 Z M4.80 10.90 L1.20 10.90 L1.20 13.10 L4.80 13.10 Z M7.69 6.13 L5.14 3.59 L3.59 5.14 L6.13 7.69 Z M13.10 4.80 L13.10 1.20 L10.90 1.20 L10.90 4.80 Z M17.87 7.69 L20.41 5.14 L18.86 3.59 L16.31 6.13 Z" },
        "bolt.fill": { fill: "M13.5 1.5 L4 13.5 h7 l-1.5 9 L20 10 h-7 Z" },
        "trash": { even: true, fill: "M3.5 5 h17 v2 h-17 Z M9 2.5 h6 v2.5 h-6 Z M5.5 8 h13 l-1.2 13.5 h-10.6 Z M9 10.5 h1.4 v8.5 h-1.4 Z M13.6 10.5 h1.4 v8.5 h-1.4 Z" },
        "arrow.left.and.right": { fill: "M1.5 12 L7 6.5 v3.7 h10 V6.5 L22.5 12 L17 17.5 v-3.7 H7 v3.7 Z" },
        "wind": { line: "M3 8.5 h11 a3 3 0 1 0 -3 -3 M3 12.5 h15 a3 3 0 1 1 -3 3 M3 16.5 h7" },
        "figure.walk": { fill: "M13.5 2 a2.3 2.3 0 1 0 0.001 0 Z",
                         line: "M12.5 7.5 L10.5 14 L13.5 17 L14.5 22 M10.5 14 L8 22 M12.5 7.5 L8.5 10 L7 13.5 M12.5 7.5 L15 11.5 L18 12.5" },
        "paintbrush.fill": { fill: "M19 1.8 L22.2 5 L13.3 14.6 L9.4 10.7 Z M8.6 11.9 L12.1 15.4 C12.1 19.8 8 22.5 2.2 21.6 C4.4 19.5 3.6 14 8.6 11.9 Z" },
        "rectangle.bottomthird.inset.filled": { fill: "M5.5 13.5 h13 v3.5 h-13 Z",
                                                line: "M5 4.5 h14 a2 2 0 0 1 2 2 v11 a2 2 0 0 1 -2 2 h-14 a2 2 0 0 1 -2 -2 v-11 a2 2 0 0 1 2 -2 Z" },
        "eye.fill": { even: true, fill: "M1 12 C5 4.5 19 4.5 23 12 C19 19.5 5 19.5 1 12 Z M12 7.8 a4.2 4.2 0 1 0 0.001 0 Z M12 10.2 a1.8 1.8 0 1 0 0.001 0 Z" },
        "checkmark.seal.fill": { even: true, fill: "M12.00 1.50 L14.28 3.50 L17.25 2.91 L18.22 5.78 L21.09 6.75 L20.50 9.72 L22.50 12.00 L20.50 14.28 L21.09 17.25 L18.22 18.22 L17.25 21.09 L14.28 20.50 L12.00 22.50 L9.72 20.50 L6.75 21.09 L5.78 18.22 L2.91 17.25 L3.50 14.28 L1.50 12.00 L3.50 9.72 L2.91 6.75 L5.78 5.78 L6.75 2.91 L9.72 3.50 Z M7.3 12.2 L8.8 10.7 L10.8 12.7 L15.2 8.3 L16.7 9.8 L10.8 15.7 Z" },
        "doc.on.doc": { line: "M9.5 7 h9 a1.5 1.5 0 0 1 1.5 1.5 v11 a1.5 1.5 0 0 1 -1.5 1.5 h-9 a1.5 1.5 0 0 1 -1.5 -1.5 v-11 a1.5 1.5 0 0 1 1.5 -1.5 Z M5 17 V4.5 a1.5 1.5 0 0 1 1.5 -1.5 H16" },
        "cart.fill": { fill: "M9 17.3 a1.8 1.8 0 1 0 0.001 0 Z M17.5 17.3 a1.8 1.8 0 1 0 0.001 0 Z M6.3 6 h15.2 l-2 8.2 h-11.5 Z",
                       line: "M1.5 3 h3.2 l3 11.2 h11.8" },
        "dollarsign.circle.fill": { line: "M12 2 a10 10 0 1 0 0.001 0 Z M15.2 8.6 C14.6 7.4 13.4 7 12 7 C10.2 7 8.9 7.9 8.9 9.4 C8.9 12.5 15.3 11.3 15.3 14.6 C15.3 16.1 13.9 17 12 17 C10.4 17 9.2 16.4 8.6 15.2 M12 5 v2 M12 17 v2" },
        "arrow.up.right": { line: "M6 18 L18 6 M8.5 6 h9.5 v9.5" },
        "square.and.arrow.down": { line: "M8 9.5 L12 13.5 L16 9.5 M12 2.5 v11 M8.5 7 h-2.5 a1.5 1.5 0 0 0 -1.5 1.5 v11 a1.5 1.5 0 0 0 1.5 1.5 h12 a1.5 1.5 0 0 0 1.5 -1.5 v-11 a1.5 1.5 0 0 0 -1.5 -1.5 h-2.5" }
    })
    readonly property var glyph: glyphs[name] || ({})

    implicitWidth: size
    implicitHeight: size
    width: size
    height: size
    // Multisampled so that the paths have smooth edges.
    layer.enabled: true
    layer.samples: 4
    layer.smooth: true
    Accessible.ignored: true

    Shape {
        width: 24
        height: 24
        transform: Scale { xScale: icon.size / 24; yScale: icon.size / 24 }

        ShapePath {
            strokeWidth: -1
            fillColor: icon.color
            fillRule: icon.glyph.even ? ShapePath.OddEvenFill : ShapePath.WindingFill
            PathSvg { path: icon.glyph.fill || "" }
        }
        ShapePath {
            strokeColor: icon.color
            strokeWidth: 2
            fillColor: "transparent"
            capStyle: ShapePath.RoundCap
            joinStyle: ShapePath.RoundJoin
            PathSvg { path: icon.glyph.line || "" }
        }
    }
}

#pragma once

// A label whose wrapped lines always fit its fixed box: the layout gives the
// notice 40 pixels for three lines of a 12-pixel font, as a Windows static
// control with its 12-pixel system font shows them. Qt's own line spacing for
// the CJK fonts on Linux is taller, and a plain QLabel clips the first line.

#include <QLabel>
#include <QTextLayout>

namespace kestrane {

// Lays `layout` (text and font already set) out in lines of `width`, spaced
// evenly so that every line, from the top of its ascent to the foot of its
// descent, lies within `height` where possible: the font's own line spacing
// when that fits, closer otherwise, never closer than the font's pixel size.
// The lines are centred vertically, as the label's text is. Returns the
// distance from one line to the next.
qreal LayOutWrappedLines(QTextLayout& layout, qreal width, qreal height);

class WrappedLabel : public QLabel {
public:
    WrappedLabel(const QString& text, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace kestrane

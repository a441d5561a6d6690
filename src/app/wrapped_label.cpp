#include "app/wrapped_label.h"

#include <QPainter>
#include <QTextOption>

#include <algorithm>

namespace kestrane {

qreal LayOutWrappedLines(QTextLayout& layout, qreal width, qreal height) {
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) line.setLineWidth(width);
    layout.endLayout();

    const int lines = layout.lineCount();
    if (lines == 0) return 0;
    // A line's height comes from the fonts its glyphs were found in: Chinese
    // text falls back to a CJK font taller than the window's own.
    qreal natural = 0, glyphs = 0;
    for (int i = 0; i < lines; ++i) {
        const QTextLine line = layout.lineAt(i);
        natural = std::max(natural, line.height());
        glyphs = std::max(glyphs, line.ascent() + line.descent());
    }
    const qreal em = layout.font().pixelSize() > 0 ? layout.font().pixelSize() : glyphs;
    qreal pitch = natural;
    if (lines > 1 && (lines - 1) * natural + glyphs > height) {
        pitch = std::max((height - glyphs) / (lines - 1), std::min(em, natural));
    }
    qreal y = std::max<qreal>(0, (height - ((lines - 1) * pitch + glyphs)) / 2);
    for (int i = 0; i < lines; ++i, y += pitch) layout.lineAt(i).setPosition(QPointF(0, y));
    return pitch;
}

WrappedLabel::WrappedLabel(const QString& text, QWidget* parent) : QLabel(text, parent) { setWordWrap(true); }

void WrappedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF box = contentsRect();
    QTextLayout layout(text(), font(), this);
    LayOutWrappedLines(layout, box.width(), box.height());
    painter.setPen(palette().color(foregroundRole()));
    layout.draw(&painter, box.topLeft());
}

}  // namespace kestrane

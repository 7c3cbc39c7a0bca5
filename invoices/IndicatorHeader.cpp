#include "IndicatorHeader.h"

#include <QPainter>
#include <QPainterPath>

IndicatorHeader::IndicatorHeader(QWidget *parent) : QHeaderView(Qt::Vertical, parent)
{
    setSectionResizeMode(QHeaderView::Fixed);
    setDefaultSectionSize(20);
    setMinimumWidth(14);
}

QSize IndicatorHeader::sizeHint() const
{
    return QSize(14, QHeaderView::sizeHint().height());
}

void IndicatorHeader::setCurrentRow(int row)
{
    if (row == m_current)
        return;
    m_current = row;
    viewport()->update();
}

void IndicatorHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    painter->save();
    painter->fillRect(rect, palette().button());
    painter->setPen(palette().mid().color());
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    if (logicalIndex == m_current) {
        const QPointF c = QRectF(rect).center();
        QPainterPath arrow;
        arrow.moveTo(c.x() - 3, c.y() - 4);
        arrow.lineTo(c.x() + 3, c.y());
        arrow.lineTo(c.x() - 3, c.y() + 4);
        arrow.closeSubpath();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->fillPath(arrow, Qt::black);
    }
    painter->restore();
}

#pragma once

#include <QHeaderView>

// The grid's record indicator: a narrow column left of the rows that marks
// the current record with an arrow.
class IndicatorHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit IndicatorHeader(QWidget *parent = nullptr);
    void setCurrentRow(int row);
    int currentRow() const { return m_current; }
    QSize sizeHint() const override;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    int m_current = -1;
};

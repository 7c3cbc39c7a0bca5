#pragma once

#include <QHeaderView>
#include <QList>

class QLineEdit;

// A horizontal header with an editor under each column label: the grid's
// filter row. Typing in an editor reports the column's new condition at once.
class FilterTableHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit FilterTableHeader(QWidget *parent = nullptr);

    void setColumnCount(int count);
    QLineEdit *editor(int column) const { return m_editors.value(column); }
    QSize sizeHint() const override;

signals:
    void filterChanged(int column, const QString &text);

protected:
    void updateGeometries() override;

private:
    void placeEditors();
    QList<QLineEdit *> m_editors;
};

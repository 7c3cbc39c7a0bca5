#pragma once

#include <QWidget>

class QAbstractItemView;
class QLabel;
class QToolButton;

// First, previous, next and last record of a grid, with an information panel
// that shows the current record and the count.
class RecordNavigator : public QWidget
{
    Q_OBJECT
public:
    explicit RecordNavigator(QAbstractItemView *view, QWidget *parent = nullptr);

    QString infoText() const;
    void first();
    void prior();
    void next();
    void last();

private:
    void goTo(int row);
    void updateInfo();
    QAbstractItemView *m_view;
    QToolButton *m_first, *m_prior, *m_next, *m_last;
    QLabel *m_info;
};

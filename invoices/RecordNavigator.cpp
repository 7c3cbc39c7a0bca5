#include "RecordNavigator.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QToolButton>

static QToolButton *navButton(QWidget *parent, const QString &name, const QString &text, const QString &tip)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(tip);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

RecordNavigator::RecordNavigator(QAbstractItemView *view, QWidget *parent) : QWidget(parent), m_view(view)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(1);
    m_first = navButton(this, QStringLiteral("navFirst"), QStringLiteral("|◀"), tr("First record"));
    m_prior = navButton(this, QStringLiteral("navPrior"), QStringLiteral("◀"), tr("Prior record"));
    m_next = navButton(this, QStringLiteral("navNext"), QStringLiteral("▶"), tr("Next record"));
    m_last = navButton(this, QStringLiteral("navLast"), QStringLiteral("▶|"), tr("Last record"));
    m_info = new QLabel(this);
    m_info->setObjectName(QStringLiteral("navInfo"));
    for (QWidget *w : {static_cast<QWidget *>(m_first), static_cast<QWidget *>(m_prior), static_cast<QWidget *>(m_next),
                       static_cast<QWidget *>(m_last), static_cast<QWidget *>(m_info)})
        layout->addWidget(w);
    layout->addStretch();
    connect(m_first, &QToolButton::clicked, this, &RecordNavigator::first);
    connect(m_prior, &QToolButton::clicked, this, &RecordNavigator::prior);
    connect(m_next, &QToolButton::clicked, this, &RecordNavigator::next);
    connect(m_last, &QToolButton::clicked, this, &RecordNavigator::last);

    QAbstractItemModel *model = view->model();
    connect(model, &QAbstractItemModel::modelReset, this, &RecordNavigator::updateInfo);
    connect(model, &QAbstractItemModel::layoutChanged, this, &RecordNavigator::updateInfo);
    connect(model, &QAbstractItemModel::rowsInserted, this, &RecordNavigator::updateInfo);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &RecordNavigator::updateInfo);
    connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this, &RecordNavigator::updateInfo);
    updateInfo();
}

QString RecordNavigator::infoText() const { return m_info->text(); }

void RecordNavigator::goTo(int row)
{
    const int rows = m_view->model()->rowCount();
    if (rows == 0)
        return;
    row = qBound(0, row, rows - 1);
    const int column = qMax(0, m_view->currentIndex().column());
    m_view->setCurrentIndex(m_view->model()->index(row, column));
}

void RecordNavigator::first() { goTo(0); }
void RecordNavigator::prior() { goTo(m_view->currentIndex().row() - 1); }
void RecordNavigator::next() { goTo(m_view->currentIndex().row() + 1); }
void RecordNavigator::last() { goTo(m_view->model()->rowCount() - 1); }

void RecordNavigator::updateInfo()
{
    const int rows = m_view->model()->rowCount();
    const int current = m_view->currentIndex().isValid() ? m_view->currentIndex().row() + 1 : 0;
    m_info->setText(tr("Record %1 of %2").arg(current).arg(rows));
    m_first->setEnabled(current > 1);
    m_prior->setEnabled(current > 1);
    m_next->setEnabled(current < rows);
    m_last->setEnabled(current < rows);
}

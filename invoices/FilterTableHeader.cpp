#include "FilterTableHeader.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>

FilterTableHeader::FilterTableHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(true);
    setSortIndicatorShown(true);
    setHighlightSections(true);
    connect(this, &QHeaderView::sectionResized, this, &FilterTableHeader::placeEditors);
    connect(this, &QHeaderView::sectionMoved, this, &FilterTableHeader::placeEditors);
    if (auto *view = qobject_cast<QTableView *>(parent))
        connect(view->horizontalScrollBar(), &QScrollBar::valueChanged, this, &FilterTableHeader::placeEditors);
}

void FilterTableHeader::setColumnCount(int count)
{
    qDeleteAll(m_editors);
    m_editors.clear();
    for (int c = 0; c < count; ++c) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("filter_%1").arg(c));
        edit->setPlaceholderText(QStringLiteral("Filtru"));
        edit->setClearButtonEnabled(false);
        connect(edit, &QLineEdit::textChanged, this, [this, c](const QString &text) { emit filterChanged(c, text); });
        m_editors.append(edit);
        edit->show();
    }
    placeEditors();
}

QSize FilterTableHeader::sizeHint() const
{
    QSize s = QHeaderView::sizeHint();
    if (!m_editors.isEmpty())
        s.setHeight(s.height() + m_editors.first()->sizeHint().height() + 2);
    return s;
}

void FilterTableHeader::updateGeometries()
{
    // Leave room under the labels for the editors.
    if (!m_editors.isEmpty())
        setViewportMargins(0, 0, 0, m_editors.first()->sizeHint().height() + 2);
    else
        setViewportMargins(0, 0, 0, 0);
    QHeaderView::updateGeometries();
    placeEditors();
}

void FilterTableHeader::placeEditors()
{
    if (m_editors.isEmpty())
        return;
    const int h = m_editors.first()->sizeHint().height();
    const int top = QHeaderView::sizeHint().height() + 1;
    for (int c = 0; c < m_editors.size(); ++c) {
        QLineEdit *edit = m_editors[c];
        if (isSectionHidden(c)) {
            edit->hide();
            continue;
        }
        edit->setGeometry(sectionViewportPosition(c), top, sectionSize(c), h);
        edit->show();
    }
}

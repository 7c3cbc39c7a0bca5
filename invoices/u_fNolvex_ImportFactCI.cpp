#include "u_fNolvex_ImportFactCI.h"
#include "ui_u_fNolvex_ImportFactCI.h"

#include "FilterTableHeader.h"
#include "IndicatorHeader.h"
#include "InvoiceFilterProxy.h"
#include "InvoiceListModel.h"
#include "RecordNavigator.h"
#include "app/NolvexApplication.h"
#include "baselinker/UnixTime.h"
#include "baselinker/u_fProc_Baselinker.h"
#include "data/AtomicFile.h"
#include "data/EAppError.h"
#include "data/RememberedLogin.h"
#include "data/u_dmCon.h"

#include <QDesktopServices>
#include <QDir>
#include <QKeyEvent>
#include <QLocale>
#include <QResizeEvent>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSet>
#include <QSqlQuery>
#include <QUrl>

TfNolvex_ImportFactCI *fNolvex_ImportFactCI = nullptr;

// %1 narrows the list to one invoice when its rows are read again in place.
static const QString listSqlTemplate = QStringLiteral(
    "select log_baselinker_fact.id_doc,\n"
    "       log_baselinker_fact.json_doc_date,\n"
    "       log_baselinker_fact.json_doc_tip,\n"
    "       log_baselinker_fact.json_doc_nr,\n"
    "       log_baselinker_fact.err_ins_tresk,\n"
    "       log_baselinker_fact.data_log,\n"
    "       log_baselinker_fact.json_doc::json->>'order_id' as order_id,\n"
    "       nullif(json_array_elements(json_cmd_c::json->'orders')::json->>'external_order_id', '') as id_doc_extern_cmd,\n"
    "       nullif(json_array_elements(json_cmd_c::json->'orders')::json->>'order_source', '') as sursa_cmd,\n"
    "       nullif(json_array_elements(json_cmd_c::json->'orders')::json->'custom_extra_fields'->>'24491', '') as id_doc_extra_fields_cmd,\n"
    "       nullif(json_array_elements(json_cmd_c::json->'orders')::json->>'admin_comments', '') as admin_comments_cmd,\n"
    "       doc.data_doc as data_doc_tresk,\n"
    "       doc.tip_doc as tip_doc_tresk,\n"
    "       doc.nr_doc as nr_doc_tresk,\n"
    "       doc.partener,\n"
    "       doc.data_stoc,\n"
    "       doc.da_nu_scazut_total_stoc,\n"
    "       doc.magazie_sursa,\n"
    "       ultim_msg_anaf.msg_tip,\n"
    "       ultim_msg_anaf.msg_index_incarcare\n"
    "from log_baselinker_fact\n"
    "left outer join doc on log_baselinker_fact.json_doc_date = doc.data_doc\n"
    "                   and log_baselinker_fact.json_doc_tip = doc.tip_doc\n"
    "                   and right(log_baselinker_fact.json_doc_nr, 15) = doc.nr_doc\n"
    "left outer join (select distinct on (data_doc_xml, nr_doc_xml) data_doc_xml, nr_doc_xml, msg_id,\n"
    "                        msg_index_incarcare, msg_tip, msg_data_creare\n"
    "                 from anaf_e_fact_msg_toate\n"
    "                 where anaf_e_fact_msg_toate.msg_tip = 'FACTURA TRIMISA'\n"
    "                 order by data_doc_xml, nr_doc_xml, msg_data_creare desc) ultim_msg_anaf\n"
    "             on doc.data_doc = ultim_msg_anaf.data_doc_xml\n"
    "            and doc.tip_doc = 'FactCI'\n"
    "            and doc.nr_doc = ultim_msg_anaf.nr_doc_xml\n"
    "where %1\n"
    "order by log_baselinker_fact.id_doc desc ;");

const QString TfNolvex_ImportFactCI::listSql =
    listSqlTemplate.arg(QStringLiteral("log_baselinker_fact.json_doc_date between :pDataIncep and current_date"));
static const QString invoiceRowsSql = listSqlTemplate.arg(QStringLiteral("log_baselinker_fact.id_doc = :pIdDoc"));

TfNolvex_ImportFactCI::TfNolvex_ImportFactCI(TdmCon *dm, TfProc_Baselinker *baselinker, QWidget *parent)
    : QWidget(parent),
      dsConfigBaselinker(dm->conTresk, QStringLiteral("select * from config_baselinker ;")),
      dsLogDazevezezaVoze_CmdC(dm->conTresk,
                               QStringLiteral("select id_doc, json_doc_date, json_doc_tip, json_doc_nr,\n"
                                              "       log_baselinker_fact.json_doc::json->>'order_id' as order_id,\n"
                                              "       json_cmd_c\n"
                                              "from log_baselinker_fact\n"
                                              "where json_cmd_c is null\n"
                                              "  and log_baselinker_fact.json_doc::json->>'order_id' is not null\n"
                                              "order by id_doc ;")),
      dsLogDazevezezaVozeUnu(dm->conTresk, QStringLiteral("select id_doc, json_doc, json_cmd_c, err_ins_tresk\n"
                                                          "from log_baselinker_fact\n"
                                                          "where id_doc = :id_doc ;")),
      ui(std::make_unique<Ui::TfNolvex_ImportFactCI>()),
      m_dm(dm),
      m_baselinker(baselinker),
      m_model(new InvoiceListModel(this)),
      m_proxy(new InvoiceFilterProxy(m_model, this)),
      m_openFile([](const QString &path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); })
{
    ui->setupUi(this);
    setupGrid();
    connectHandler(ui->ButtonCauta, this, &TfNolvex_ImportFactCI::ButtonCautaClick);
    connectHandler(ui->ButtonJsonFact, this, &TfNolvex_ImportFactCI::ButtonJsonFactClick);
    connectHandler(ui->ButtonJsonCmd, this, &TfNolvex_ImportFactCI::ButtonJsonCmdClick);
    connectHandler(ui->ButtonPreluareFactBaseLinker, this, &TfNolvex_ImportFactCI::ButtonPreluareFactBaseLinkerClick);
    connectHandler(ui->ButtonImportaFactCurentaTresk, this, &TfNolvex_ImportFactCI::ButtonImportaFactCurentaTreskClick);
    connectHandler(ui->ButtonImportaFactToateTresk, this, &TfNolvex_ImportFactCI::ButtonImportaFactToateTreskClick);
    FormCreate();
}

TfNolvex_ImportFactCI::~TfNolvex_ImportFactCI() = default;

QTableView *TfNolvex_ImportFactCI::grid() const { return ui->cxGrid1DBTableView1; }
QDateEdit *TfNolvex_ImportFactCI::dateBox() const { return ui->cxDateEditDataIncep; }
QPlainTextEdit *TfNolvex_ImportFactCI::journal() const { return ui->Memo1; }
QPlainTextEdit *TfNolvex_ImportFactCI::errorMemo() const { return ui->cxDBMemo1; }
QPushButton *TfNolvex_ImportFactCI::button(const QString &name) const { return findChild<QPushButton *>(name); }

void TfNolvex_ImportFactCI::setupGrid()
{
    QTableView *view = ui->cxGrid1DBTableView1;
    m_filterHeader = new FilterTableHeader(view);
    view->setHorizontalHeader(m_filterHeader);
    m_indicator = new IndicatorHeader(view);
    view->setVerticalHeader(m_indicator);
    view->setModel(m_proxy);
    m_filterHeader->setColumnCount(InvoiceListModel::ColumnCount);
    for (int c = 0; c < InvoiceListModel::ColumnCount; ++c)
        view->setColumnWidth(c, InvoiceListModel::columnWidth(c));
    view->setSortingEnabled(true);
    view->sortByColumn(-1, Qt::AscendingOrder);
    connect(m_filterHeader, &FilterTableHeader::filterChanged, m_proxy, &InvoiceFilterProxy::setColumnFilter);
    connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex &current) {
        m_indicator->setCurrentRow(current.row());
        showCurrentErrInsTresk();
    });
    // Whatever the filter or a reload does to the rows, some row stays current.
    auto keepCurrent = [this, view] {
        if (!view->currentIndex().isValid() && m_proxy->rowCount() > 0)
            view->setCurrentIndex(m_proxy->index(0, 0));
        m_indicator->setCurrentRow(view->currentIndex().row());
        showCurrentErrInsTresk();
    };
    connect(m_proxy, &QAbstractItemModel::modelReset, this, keepCurrent);
    connect(m_proxy, &QAbstractItemModel::layoutChanged, this, keepCurrent);
    connect(m_proxy, &QAbstractItemModel::rowsRemoved, this, keepCurrent);
    connect(m_proxy, &QAbstractItemModel::rowsInserted, this, keepCurrent);
    connect(m_proxy, &QAbstractItemModel::dataChanged, this, [this] { showCurrentErrInsTresk(); });
    m_navigator = new RecordNavigator(view, ui->cxGrid1);
    m_navigator->setObjectName(QStringLiteral("cxGrid1Navigator"));
    ui->gridLayout->addWidget(m_navigator);
    view->installEventFilter(this);
    applyStyleSheet();
}

void TfNolvex_ImportFactCI::applyStyleSheet()
{
    const GridStyleSheet &s = m_dm->GridTableViewStyleSheetDevExpress;
    const auto c = [](quint32 rgb) { return QColor::fromRgb(rgb); };
    QTableView *view = ui->cxGrid1DBTableView1;
    QPalette p = view->palette();
    p.setColor(QPalette::Window, c(s.background));
    p.setColor(QPalette::Base, c(s.evenRows));
    p.setColor(QPalette::AlternateBase, c(s.oddRows));
    p.setColor(QPalette::Text, c(s.contentText));
    p.setColor(QPalette::Active, QPalette::Highlight, c(s.selection));
    p.setColor(QPalette::Active, QPalette::HighlightedText, c(s.selectionText));
    p.setColor(QPalette::Inactive, QPalette::Highlight, c(s.inactiveSelection));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, c(s.contentText));
    view->setPalette(p);
    QFont content(s.fontFamily, s.fontPointSize);
    view->setFont(content);
    view->setStyleSheet(
        QStringLiteral("QTableView { background-color: %1; gridline-color: %2; }"
                       "QHeaderView::section:horizontal { background-color: %3; color: %4; font-weight: bold;"
                       " font-family: \"%5\"; font-size: %6pt; border: 1px solid %2; padding: 1px 3px; }"
                       "QHeaderView::section:vertical { background-color: %7; }"
                       "QHeaderView QLineEdit { background-color: %8; color: black; border: 1px solid %2; }")
            .arg(c(s.background).name(), c(s.inactiveSelection).name(), c(s.header).name(), c(s.headerText).name(), s.fontFamily)
            .arg(s.fontPointSize)
            .arg(c(s.indicator).name(), c(s.filterBox).name()));
    m_indicator->setPalette([&] { QPalette ip = m_indicator->palette(); ip.setColor(QPalette::Button, c(s.indicator)); return ip; }());
}

bool TfNolvex_ImportFactCI::eventFilter(QObject *watched, QEvent *event)
{
    // Enter moves to the next cell, and past the last column to the next row.
    if (watched == ui->cxGrid1DBTableView1 && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            QTableView *view = ui->cxGrid1DBTableView1;
            const QModelIndex cur = view->currentIndex();
            if (cur.isValid()) {
                int row = cur.row(), col = cur.column() + 1;
                if (col >= m_proxy->columnCount()) {
                    col = 0;
                    row = qMin(row + 1, m_proxy->rowCount() - 1);
                }
                view->setCurrentIndex(m_proxy->index(row, col));
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TfNolvex_ImportFactCI::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Anchors: the grid follows every side, the memos left, right and bottom,
    // their labels left and bottom.
    const int dx = width() - 1284, dy = height() - 711;
    ui->cxGrid1->setGeometry(8, 78, qMax(100, 1268 + dx), qMax(60, 507 + dy));
    ui->Label3->move(8, 591 + dy);
    ui->cxDBMemo1->setGeometry(91, 591 + dy, qMax(50, 1185 + dx), 31);
    ui->Label4->move(8, 628 + dy);
    ui->LabelProgres->move(8, 648 + dy);
    ui->Memo1->setGeometry(91, 628 + dy, qMax(50, 1185 + dx), 75);
}

void TfNolvex_ImportFactCI::FormCreate()
{
    ui->cxDateEditDataIncep->setDate(QDate::currentDate().addDays(-30));
}

// ---- the list -------------------------------------------------------------

void TfNolvex_ImportFactCI::openOrRefreshList()
{
    QDate from = m_pDataIncep.toDate();
    if (m_pDataIncep.isNull())
        from = ui->cxDateEditDataIncep->date();
    const qint64 keepId = currentText(InvoiceListModel::id_doc).toLongLong();
    const int keepColumn = qMax(0, ui->cxGrid1DBTableView1->currentIndex().column());
    // The whole result in one pass; a failing query leaves the list as it was.
    QSqlQuery query = m_dm->conTresk.read(listSql, {from}, true);
    m_model->load(query);
    m_listOpen = true;
    for (int r = 0; r < m_proxy->rowCount(); ++r) {
        if (m_model->idDoc(m_proxy->mapToSource(m_proxy->index(r, 0)).row()) == keepId) {
            ui->cxGrid1DBTableView1->setCurrentIndex(m_proxy->index(r, keepColumn));
            break;
        }
    }
}

void TfNolvex_ImportFactCI::ButtonCautaClick()
{
    m_pDataIncep = ui->cxDateEditDataIncep->date();
    openOrRefreshList();
}

int TfNolvex_ImportFactCI::currentSourceRow() const
{
    const QModelIndex cur = ui->cxGrid1DBTableView1->currentIndex();
    return cur.isValid() ? m_proxy->mapToSource(cur).row() : -1;
}

QString TfNolvex_ImportFactCI::currentText(int column) const
{
    const int row = currentSourceRow();
    return row < 0 ? QString() : m_model->text(row, column);
}

void TfNolvex_ImportFactCI::showCurrentErrInsTresk()
{
    const QString text = currentText(InvoiceListModel::err_ins_tresk);
    if (ui->cxDBMemo1->toPlainText() != text)
        ui->cxDBMemo1->setPlainText(text);
}

void TfNolvex_ImportFactCI::requireRows(const QString &message) const
{
    if (!m_listOpen || m_proxy->rowCount() == 0 || currentSourceRow() < 0)
        throw EAppError(message);
}

// ---- JSON viewers ---------------------------------------------------------

void TfNolvex_ImportFactCI::showJson(const QString &suffix, const QString &contentColumn)
{
    requireRows(QStringLiteral("Nu aveti inregistrari."));
    const QString fileName = m_model->jsonDocDate(currentSourceRow()).toString(QStringLiteral("yyyy-MM-dd")) + suffix
        + QStringLiteral(".json");
    const QString path = QDir(homeDataFolder()).filePath(fileName);

    dsLogDazevezezaVozeUnu.close();
    dsLogDazevezezaVozeUnu.setParam(QStringLiteral("id_doc"), currentText(InvoiceListModel::id_doc).toLongLong());
    dsLogDazevezezaVozeUnu.open();
    const auto closeDetail = qScopeGuard([this] { dsLogDazevezezaVozeUnu.close(); });
    const QString content = dsLogDazevezezaVozeUnu.field(contentColumn).toString();
#ifdef Q_OS_WIN
    const QByteArray lineBreak = "\r\n";
#else
    const QByteArray lineBreak = "\n";
#endif
    writeFileAtomically(path, QByteArrayLiteral("\xEF\xBB\xBF") + content.toUtf8() + lineBreak);
    m_openFile(path);
}

void TfNolvex_ImportFactCI::ButtonJsonFactClick()
{
    showJson(QStringLiteral("_id_doc_") + currentText(InvoiceListModel::id_doc), QStringLiteral("json_doc"));
}

void TfNolvex_ImportFactCI::ButtonJsonCmdClick()
{
    showJson(QStringLiteral("_order_id_") + currentText(InvoiceListModel::order_id), QStringLiteral("json_cmd_c"));
}

// ---- retrieval run ------------------------------------------------------

QString TfNolvex_ImportFactCI::timeStamp()
{
    const QLocale locale;
    const QDateTime now = QDateTime::currentDateTime();
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QLatin1Char('t')).replace(QStringLiteral("  "), QStringLiteral(" "));
    return locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + locale.toString(now.time(), timeFormat.trimmed());
}

void TfNolvex_ImportFactCI::appendJournal(const QString &line)
{
    ui->Memo1->appendPlainText(line);
    ui->Memo1->verticalScrollBar()->setValue(ui->Memo1->verticalScrollBar()->maximum());
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString TfNolvex_ImportFactCI::startTime()
{
    m_baselinker->dsJsonDocDateMax.refresh();
    const QVariant latest = m_baselinker->dsJsonDocDateMax.field(QStringLiteral("json_doc_date_max"));
    if (latest.isNull())
        return unixTimeText(QDateTime::currentDateTime().addDays(-365));
    return unixTimeText(latest.toDate());
}

void TfNolvex_ImportFactCI::fetchMissingOrders(const QString &baseUrl, const QString &token)
{
    dsLogDazevezezaVoze_CmdC.close();
    dsLogDazevezezaVoze_CmdC.open();
    const auto &rows = dsLogDazevezezaVoze_CmdC.rows();
    const auto clearProgress = qScopeGuard([this] { ui->LabelProgres->clear(); });
    for (int i = 0; i < rows.size(); ++i) {
        ui->LabelProgres->setText(QStringLiteral("Comenzi %1 / %2").arg(i).arg(rows.size()));
        const QString orderId = rows[i].value(QStringLiteral("order_id")).toString();
        try {
            QString jsonCmdC;
            m_baselinker->getOrder(orderId, baseUrl, token, jsonCmdC);
            m_dm->conTresk.write(QStringLiteral("update log_baselinker_fact set json_cmd_c = :json_cmd_c "
                                                "where id_doc = :id_doc"),
                                 {jsonCmdC, rows[i].value(QStringLiteral("id_doc"))});
        } catch (const EAppError &e) {
            appendJournal(QStringLiteral("Eroare preluare order_id ") + orderId + QStringLiteral(". ") + e.message());
            const auto *apiError = dynamic_cast<const EBaseLinkerError *>(&e);
            if (apiError && apiError->tokenBlocked()) {
                // Every further call would only prolong the block.
                appendJournal(QStringLiteral("Token BaseLinker blocat: cele %1 comenzi ramase se preiau la urmatoarea preluare.")
                                  .arg(rows.size() - i - 1));
                break;
            }
        }
    }
    dsLogDazevezezaVoze_CmdC.close();
}

void TfNolvex_ImportFactCI::ButtonPreluareFactBaseLinkerClick()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });

    dsConfigBaselinker.refresh();
    if (dsConfigBaselinker.isEmpty())
        throw EAppError(QStringLiteral("Nu aveti configurata tabela config_baselinker."));
    const QString baseUrl = dsConfigBaselinker.field(QStringLiteral("base_url")).toString();
    const QString token = dsConfigBaselinker.field(QStringLiteral("token")).toString();
    const QString from = startTime();

    appendJournal(QStringLiteral("Incepe preluarea facturilor ( ") + timeStamp() + QStringLiteral(" )"));
    m_baselinker->getInvoices(from, baseUrl, token);
    appendJournal(QStringLiteral("Sfarsit preluare facturi ( ") + timeStamp() + QStringLiteral(" )"));

    appendJournal(QStringLiteral("Incepe preluarea comenzilor ( ") + timeStamp() + QStringLiteral(" )"));
    fetchMissingOrders(baseUrl, token);
    appendJournal(QStringLiteral("Sfarsit preluare comenzi ( ") + timeStamp() + QStringLiteral(" )"));

    openOrRefreshList();
}

// ---- import into the ERP ------------------------------------------------

void TfNolvex_ImportFactCI::saveErrInsTresk(qint64 idDoc, const QVariant &text)
{
    m_dm->conTresk.write(QStringLiteral("update log_baselinker_fact set err_ins_tresk = :err_ins_tresk "
                                        "where id_doc = :id_doc"),
                         {text, idDoc});
}

void TfNolvex_ImportFactCI::callTreskIns(qint64 idDoc)
{
    m_dm->conTresk.write(QStringLiteral("SELECT * FROM o_baselinker_fact_tresk_ins(:piddoc, :pemitent)"),
                         {idDoc, m_dm->glUser});
}

void TfNolvex_ImportFactCI::importInvoice(qint64 idDoc)
{
    dsLogDazevezezaVozeUnu.close();
    dsLogDazevezezaVozeUnu.setParam(QStringLiteral("id_doc"), idDoc);
    dsLogDazevezezaVozeUnu.open();
    const auto closeDetail = qScopeGuard([this] { dsLogDazevezezaVozeUnu.close(); });
    QString failure;
    try {
        callTreskIns(idDoc);
        saveErrInsTresk(idDoc, QVariant(QMetaType(QMetaType::QString)));
        return;
    } catch (const EAppError &e) {
        failure = e.message();
    }
    // Not caught: a failure to record the failure reaches the error box.
    saveErrInsTresk(idDoc, failure);
}

void TfNolvex_ImportFactCI::ButtonImportaFactCurentaTreskClick()
{
    requireRows(QStringLiteral("Nu aveti inregistrari."));
    if (!currentText(InvoiceListModel::nr_doc_tresk).isEmpty())
        throw EAppError(QStringLiteral("Factura exista in TRESK."));
    importInvoice(currentText(InvoiceListModel::id_doc).toLongLong());
    openOrRefreshList();
}

QList<qint64> TfNolvex_ImportFactCI::visibleInvoiceIds() const
{
    QList<qint64> ids;
    QSet<qint64> seen;
    for (int r = 0; r < m_proxy->rowCount(); ++r) {
        const qint64 id = m_model->idDoc(m_proxy->mapToSource(m_proxy->index(r, 0)).row());
        if (!seen.contains(id)) {
            seen.insert(id);
            ids.append(id);
        }
    }
    return ids;
}

bool TfNolvex_ImportFactCI::reloadInvoiceRows(qint64 idDoc)
{
    QSqlQuery query = m_dm->conTresk.read(invoiceRowsSql, {idDoc}, true);
    m_model->replaceInvoice(idDoc, query);
    const QVector<int> rows = m_model->rowsOf(idDoc);
    return !rows.isEmpty() && m_model->text(rows.first(), InvoiceListModel::nr_doc_tresk).isEmpty();
}

void TfNolvex_ImportFactCI::setActionsEnabled(bool enabled)
{
    for (QPushButton *b : {ui->ButtonCauta, ui->ButtonPreluareFactBaseLinker, ui->ButtonImportaFactCurentaTresk,
                           ui->ButtonImportaFactToateTresk, ui->ButtonJsonFact, ui->ButtonJsonCmd})
        b->setEnabled(enabled);
}

void TfNolvex_ImportFactCI::ButtonImportaFactToateTreskClick()
{
    requireRows(QStringLiteral("Nu aveti inregistrari"));
    openOrRefreshList();
    const QList<qint64> ids = visibleInvoiceIds();

    setActionsEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([this] {
        QApplication::restoreOverrideCursor();
        setActionsEnabled(true);
        ui->LabelProgres->clear();
    });
    for (int i = 0; i < ids.size(); ++i) {
        ui->LabelProgres->setText(QStringLiteral("Import %1 / %2").arg(i + 1).arg(ids.size()));
        // The ERP state is read afresh: another operator may have imported it meanwhile.
        if (reloadInvoiceRows(ids[i])) {
            importInvoice(ids[i]);
            reloadInvoiceRows(ids[i]);
        }
        if (m_importStepHook)
            m_importStepHook(ids[i]);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    openOrRefreshList();
}

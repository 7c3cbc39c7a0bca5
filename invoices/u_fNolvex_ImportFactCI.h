#pragma once

#include "data/TPgQuery.h"

#include <QDate>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <memory>

namespace Ui { class TfNolvex_ImportFactCI; }
class TdmCon;
class TfProc_Baselinker;
class InvoiceListModel;
class InvoiceFilterProxy;
class FilterTableHeader;
class IndicatorHeader;
class RecordNavigator;
class QDateEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QLabel;

// The operator's invoice window: the logged BaseLinker invoices beside their
// ERP document and e-Factura state, the JSON viewers, the retrieval run and
// the import into the ERP.
class TfNolvex_ImportFactCI : public QWidget
{
    Q_OBJECT
public:
    TfNolvex_ImportFactCI(TdmCon *dm, TfProc_Baselinker *baselinker, QWidget *parent = nullptr);
    ~TfNolvex_ImportFactCI() override;

    void FormCreate();
    void ButtonCautaClick();
    void ButtonJsonFactClick();
    void ButtonJsonCmdClick();
    void ButtonPreluareFactBaseLinkerClick();
    void ButtonImportaFactCurentaTreskClick();
    void ButtonImportaFactToateTreskClick();

    TPgQuery dsConfigBaselinker;
    TPgQuery dsLogDazevezezaVoze_CmdC;
    TPgQuery dsLogDazevezezaVozeUnu;
    static const QString listSql;

    // The list as the grid has it (after the filter row) and its parts.
    bool listOpen() const { return m_listOpen; }
    InvoiceListModel *listModel() const { return m_model; }
    InvoiceFilterProxy *filterProxy() const { return m_proxy; }
    FilterTableHeader *filterHeader() const { return m_filterHeader; }
    RecordNavigator *navigator() const { return m_navigator; }
    QTableView *grid() const;
    QDateEdit *dateBox() const;
    QPlainTextEdit *journal() const;
    QPlainTextEdit *errorMemo() const;
    QPushButton *button(const QString &name) const;
    // The current grid row's value of a list column; empty when there is none.
    QString currentText(int column) const;
    // How a viewer file is handed to the desktop; replaceable for tests.
    void setFileOpener(std::function<void(const QString &)> opener) { m_openFile = std::move(opener); }
    // Called after each invoice of an import-all loop (tests, measurements).
    void setImportStepHook(std::function<void(qint64 idDoc)> hook) { m_importStepHook = std::move(hook); }

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setupGrid();
    void applyStyleSheet();
    void openOrRefreshList();
    void requireRows(const QString &message) const;
    int currentSourceRow() const;
    void showCurrentErrInsTresk();
    void showJson(const QString &suffix, const QString &contentColumn);
    void appendJournal(const QString &line);
    static QString timeStamp();
    QString startTime();
    void fetchMissingOrders(const QString &baseUrl, const QString &token);
    void importInvoice(qint64 idDoc);
    void saveErrInsTresk(qint64 idDoc, const QVariant &text);
    void callTreskIns(qint64 idDoc);
    bool reloadInvoiceRows(qint64 idDoc);
    QList<qint64> visibleInvoiceIds() const;
    void setActionsEnabled(bool enabled);

    std::unique_ptr<Ui::TfNolvex_ImportFactCI> ui;
    TdmCon *m_dm;
    TfProc_Baselinker *m_baselinker;
    InvoiceListModel *m_model;
    InvoiceFilterProxy *m_proxy;
    FilterTableHeader *m_filterHeader;
    IndicatorHeader *m_indicator;
    RecordNavigator *m_navigator;
    bool m_listOpen = false;
    QVariant m_pDataIncep;     // the date of the last "Cauta"; null before it
    std::function<void(const QString &)> m_openFile;
    std::function<void(qint64)> m_importStepHook;
};

extern TfNolvex_ImportFactCI *fNolvex_ImportFactCI;

#pragma once

#include "data/RememberedLogin.h"
#include "data/TPgQuery.h"

#include <QDialog>

#include <memory>

namespace Ui { class TfrmLogin; }
class TdmCon;

// The modal login: company from the registry, operator and application rights
// from the company database, then the session state.
class TfrmLogin : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmLogin(TdmCon *dm, QWidget *parent = nullptr);
    ~TfrmLogin() override;

    void FormShow();
    void Button1Click();

    TPgQuery dsTreskMobil;
    RememberedLogin dsLogin;

    // The executable's name up to its first ".", the first letter kept as it
    // is and the rest in lower case: the name the company registers us under.
    static QString applicationTitle(const QString &executablePath);
    // SHA-256 of the UTF-8 bytes as 64 lower-case hexadecimal digits.
    static QString sha256Hex(const QString &text);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void rememberEntries();
    void checkApplicationRights(const QString &title);
    void fillSession();

    std::unique_ptr<Ui::TfrmLogin> ui;
    TdmCon *m_dm;
};

extern TfrmLogin *frmLogin;

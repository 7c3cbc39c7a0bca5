#pragma once

#include <QWidget>

#include <memory>

namespace Ui { class TfMenuNolvex; }
class TdmCon;
class TfrmLogin;

// The main window: logged out it offers Login, logged in the menu.
class TfMenuNolvex : public QWidget
{
    Q_OBJECT
public:
    explicit TfMenuNolvex(QWidget *parent = nullptr);
    ~TfMenuNolvex() override;

    // The objects made after the main window, handed over once they exist.
    void attach(TdmCon *dm, TfrmLogin *login, QWidget *importWindow);

    void FormCreate();
    void ButtonLoginClick();
    void ButtonImportBonuriFiscaleClick();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    std::unique_ptr<Ui::TfMenuNolvex> ui;
    TdmCon *m_dm = nullptr;
    TfrmLogin *m_login = nullptr;
    QWidget *m_importWindow = nullptr;
};

extern TfMenuNolvex *fMenuNolvex;

#include "NolvexApplication.h"

#include "data/EAppError.h"

#include <QMessageBox>
#include <QWidget>

#include <exception>

NolvexApplication::NolvexApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool NolvexApplication::notify(QObject *receiver, QEvent *event)
{
    bool handled = false;
    runHandler([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

void NolvexApplication::runHandler(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const EAppError &e) {
        showErrorBox(e.message());
    } catch (const std::exception &e) {
        showErrorBox(QString::fromLocal8Bit(e.what()));
    }
}

void NolvexApplication::showErrorBox(const QString &message)
{
    QWidget *parent = QApplication::activeModalWidget();
    if (!parent)
        parent = QApplication::activeWindow();
    QMessageBox::critical(parent, QApplication::applicationDisplayName(), message);
}

#pragma once

#include <QApplication>
#include <QString>

#include <functional>

// The application object. Event handlers run through runHandler(), the one
// place where an error that escapes a handler becomes the standard error box;
// no exception ever unwinds through the event loop.
class NolvexApplication : public QApplication
{
    Q_OBJECT
public:
    NolvexApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    static void runHandler(const std::function<void()> &handler);
    // A critical message box whose text is exactly the message.
    static void showErrorBox(const QString &message);
};

// Connects a button's click to an event handler run under the guard.
template <class Button, class Receiver, class Handler>
void connectHandler(Button *button, Receiver *receiver, Handler handler)
{
    QObject::connect(button, &Button::clicked, receiver,
                     [receiver, handler] { NolvexApplication::runHandler([&] { (receiver->*handler)(); }); });
}

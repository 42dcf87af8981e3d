#pragma once

#include <QApplication>

// The application object of both programs. Its notify() is the last resort
// behind guard(): an exception that escapes an event handler is shown as
// "Error # <n> <text>" through the prompt instead of ending the program,
// so none crosses the event loop.
class VlmApplication : public QApplication
{
    Q_OBJECT

public:
    VlmApplication(int &argc, char **argv);
    ~VlmApplication() override;

    bool notify(QObject *receiver, QEvent *event) override;
};

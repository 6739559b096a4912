#pragma once
// The application object: any exception that reaches event delivery is shown as the default error message
// instead of crossing Qt's event loop.
#include <QApplication>

class TKestrumApplication : public QApplication {
public:
    TKestrumApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Runs the event loop until the program is left, however it ends, then destroys the program's windows that
// are still there (those deleted on close), so that each one's clean-up runs (the previews remove their
// temporary folders) before the program ends. Windows that other objects own are left to them.
int RunUntilExit();

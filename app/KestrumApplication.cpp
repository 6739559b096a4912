#include "KestrumApplication.h"

#include "MessageService.h"

TKestrumApplication::TKestrumApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TKestrumApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowException(error);
    } catch (...) {
        MessageDlg(QStringLiteral("Unknown error"), TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
    }
    return false;
}

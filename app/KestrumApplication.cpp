#include "KestrumApplication.h"

#include "MessageService.h"

#include <QPointer>
#include <QWidget>

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

int RunUntilExit() {
    const int result = QApplication::exec();
    // Windows closed in the loop's last turns are only marked for deletion, and a loop that is ended at once
    // leaves its windows open: delete them now, while the application still exists. The program's own
    // windows (the main window, viewers outside it) are the ones that free themselves when closed; any
    // other window without a parent belongs to an object that deletes it itself (a completer its popup
    // list), so it is left to that object.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QList<QPointer<QWidget>> left;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->parent() == nullptr && window->testAttribute(Qt::WA_DeleteOnClose)) left.append(window);
    for (const QPointer<QWidget>& window : left)
        delete window.data(); // a window deleted with an earlier one is null by now
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return result;
}

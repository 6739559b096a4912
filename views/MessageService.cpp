#include "MessageService.h"

#include <QApplication>
#include <QMessageBox>

namespace {

class TBoxMessageService : public TMessageService {
public:
    TModalResult Show(TMsgDlgType type, const QString& text, TMsgDlgButtons buttons) override {
        QMessageBox box(QApplication::activeWindow());
        switch (type) {
        case TMsgDlgType::mtError:
            box.setIcon(QMessageBox::Critical);
            box.setWindowTitle(QStringLiteral("Error"));
            break;
        case TMsgDlgType::mtWarning:
            box.setIcon(QMessageBox::Warning);
            box.setWindowTitle(QStringLiteral("Warning"));
            break;
        case TMsgDlgType::mtConfirmation:
            box.setIcon(QMessageBox::Question);
            box.setWindowTitle(QStringLiteral("Confirm"));
            break;
        case TMsgDlgType::mtInformation:
            box.setIcon(QMessageBox::Information);
            box.setWindowTitle(QApplication::applicationDisplayName());
            break;
        }
        // A lone carriage return is the platform's line break in message texts.
        QString shown = text;
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QChar('\r'), QChar('\n'));
        box.setText(shown);
        switch (buttons) {
        case TMsgDlgButtons::mbOK:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case TMsgDlgButtons::mbYesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case TMsgDlgButtons::mbYesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        }
        switch (box.exec()) {
        case QMessageBox::Ok:
            return TModalResult::mrOk;
        case QMessageBox::Yes:
            return TModalResult::mrYes;
        case QMessageBox::No:
            return TModalResult::mrNo;
        default:
            return TModalResult::mrCancel;
        }
    }
};

TBoxMessageService defaultService;
TMessageService* currentService = &defaultService;

} // namespace

TMessageService& MessageService() {
    return *currentService;
}

TMessageService* SetMessageService(TMessageService* service) {
    TMessageService* previous = currentService;
    currentService = service ? service : &defaultService;
    return previous;
}

TModalResult MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    return currentService->Show(type, text, buttons);
}

void ShowException(const std::exception& error) {
    MessageDlg(QString::fromStdString(error.what()), TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
}

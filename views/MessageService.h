#pragma once
// Message boxes and the error guard of every Qt entry point. Every message box of the program goes through
// one replaceable service so that tests can capture messages instead of blocking on a modal box.
#include <QString>
#include <exception>
#include <functional>

enum class TMsgDlgType { mtError, mtInformation, mtConfirmation, mtWarning };
enum class TMsgDlgButtons { mbOK, mbYesNoCancel, mbYesNo };
enum class TModalResult { mrNone, mrOk, mrYes, mrNo, mrCancel };

class TMessageService {
public:
    virtual ~TMessageService() = default;
    virtual TModalResult Show(TMsgDlgType type, const QString& text, TMsgDlgButtons buttons) = 0;
};

// The service in use; a QMessageBox one unless replaced.
TMessageService& MessageService();
// Replaces the service (nullptr restores the default); returns the previous one.
TMessageService* SetMessageService(TMessageService* service);

TModalResult MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons);
inline void ShowMessage(const QString& text) {
    MessageDlg(text, TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK);
}
// The default error message: an error box with the exception's text.
void ShowException(const std::exception& error);

// Runs f, showing any exception it raises instead of letting it reach the event loop.
template <class F> void Guarded(F&& f) {
    try {
        f();
    } catch (const std::exception& error) {
        ShowException(error);
    } catch (...) {
        MessageDlg(QStringLiteral("Unknown error"), TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
    }
}

#include "MessageService.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <algorithm>

namespace {

// A message box that never grows past the screen: when its text would push it beyond the screen's
// available height, the text scrolls in a list within the box. The first line stays the box's text above
// the list while it leaves room for a few lines of it; a first line longer than that scrolls with the rest.
class TScreenFitMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

    // A text with more characters than the whole screen could show goes to the list at once: laying it out
    // in the box's own text first would take seconds for the largest messages.
    void setMessage(const QString& text) {
        message_ = text;
        const QRect available = screen() ? screen()->availableGeometry() : QRect();
        onScreen_ = qsizetype(available.width() / std::max(1, fontMetrics().averageCharWidth())) *
                    (available.height() / std::max(1, fontMetrics().lineSpacing()));
        listOnly_ = !available.isEmpty() && text.size() > onScreen_;
        setText(listOnly_ ? QString() : text);
    }

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        if (!event->spontaneous()) fitScreen();
    }

private:
    void fitScreen() {
        const QRect available = screen() ? screen()->availableGeometry() : QRect();
        // The frame is not known before the window manager has placed the box: allow a title bar.
        const int frame = std::max(frameGeometry().height() - height(),
                                   style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this) + 8);
        if (list_ || available.isEmpty() || (!listOnly_ && height() + frame <= available.height())) return;
        const QString whole = message_;
        const qsizetype lineEnd = whole.indexOf(QChar('\n'));
        auto* grid = qobject_cast<QGridLayout*>(layout());
        auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        if (!grid || !label) {
            if (listOnly_) setText(whole);
            return;
        }

        list_ = new QTextEdit(this);
        list_->setObjectName(QStringLiteral("MessageList"));
        list_->setReadOnly(true);
        list_->setAcceptRichText(false);
        list_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(grid->indexOf(label), &row, &column, &rowSpan, &columnSpan);
        grid->addWidget(list_, row + 1, column, 1, columnSpan);
        list_->show(); // the box itself is already shown

        // Wide enough for a line each where the screen allows: half the screen's width at most, and
        // within the width the message box allows itself, less its icon.
        const int indent = 2 * list_->fontMetrics().averageCharWidth();
        const auto fitWidth = [&](const QString& listed) {
            int longest = 0;
            for (const QString& line : listed.split(QChar('\n')))
                longest = std::max(longest, list_->fontMetrics().horizontalAdvance(line));
            const int chrome = indent + 2 * (list_->frameWidth() + int(list_->document()->documentMargin())) +
                               style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list_) + 4;
            const int boxLimit =
                available.width() <= 1024 ? available.width() : std::min(available.width() - 480, 1000);
            list_->setMinimumWidth(std::min({longest + chrome, available.width() / 2, boxLimit - 120}));
        };

        // The box in three quarters of the screen's height, its list a few lines at least. The first line
        // stays the box's text while the box keeps room for that.
        const int boxHeight = std::min(available.height() * 3 / 4, available.height() - frame);
        const int fewLines = 4 * list_->fontMetrics().lineSpacing();
        bool firstAsText = false;
        if (lineEnd >= 0 && lineEnd <= onScreen_) {
            fitWidth(whole.mid(lineEnd + 1));
            list_->setFixedHeight(fewLines);
            setText(whole.left(lineEnd));
            firstAsText = height() <= boxHeight;
        }
        const QString boxText = firstAsText ? whole.left(lineEnd) : QString();
        const QString listed = firstAsText ? whole.mid(lineEnd + 1) : whole;
        label->setVisible(firstAsText);
        if (!firstAsText) fitWidth(listed);
        list_->setPlainText(listed);
        // A hanging indent tells where each line of the message begins when it wraps.
        QTextCursor all(list_->document());
        all.select(QTextCursor::Document);
        QTextBlockFormat hanging;
        hanging.setLeftMargin(indent);
        hanging.setTextIndent(-indent);
        all.mergeBlockFormat(hanging);

        // The box without the list, then the list in what is left of the box's height.
        list_->setFixedHeight(0);
        setText(boxText);
        list_->setFixedHeight(std::max(boxHeight - height(), fewLines));
        setText(boxText);
        adjustPosition(parentWidget());
    }

    QString message_;
    qsizetype onScreen_ = 0; // characters the whole screen could show
    bool listOnly_ = false;
    QTextEdit* list_ = nullptr;
};

class TBoxMessageService : public TMessageService {
public:
    TModalResult Show(TMsgDlgType type, const QString& text, TMsgDlgButtons buttons) override {
        TScreenFitMessageBox box(QApplication::activeWindow());
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
        box.setMessage(shown);
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

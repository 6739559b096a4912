#include "PRPForms.h"

#include <QLocale>
#include <QMdiSubWindow>
#include <cmath>
#include <cstdio>

#include "PRP_VCL.h"

namespace {
TCustomPRPObjectForm::ChildHost& childHost() {
    static TCustomPRPObjectForm::ChildHost host;
    return host;
}
} // namespace

TCustomPRPObjectForm::TCustomPRPObjectForm(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
}

TCustomPRPObjectForm::~TCustomPRPObjectForm() = default;

void TCustomPRPObjectForm::SetChildHost(ChildHost host) {
    childHost() = std::move(host);
}

void TCustomPRPObjectForm::LoadObject(const TPRPFileObject& entry, TPlasmaStream* /*stream*/) {
    SetObjectInfo(entry);
}

void TCustomPRPObjectForm::SetObjectInfo(const TPRPFileObject& entry) {
    ObjectInfo = entry;
    setWindowTitle(QStringLiteral("[") + QString::fromStdString(HexWord(entry.Desc.ClassType)) +
                   QStringLiteral("] ") + PageText(entry.Desc.Name));
    setWindowIcon(TreeImages().Icon(GetObjectImageIndex(entry)));
    ShowAsChild();
}

void TCustomPRPObjectForm::MarkModified() {
    if (!IsModified()) setWindowTitle(windowTitle() + QStringLiteral(" *"));
}

bool TCustomPRPObjectForm::IsModified() const {
    return windowTitle().endsWith(QChar('*'));
}

TModalResult TCustomPRPObjectForm::QuerySaveObject() {
    if (!IsModified()) return TModalResult::mrNo;
    return MessageDlg(QStringLiteral("Would you like to save object ") + PageText(ObjectInfo.Desc.Name) +
                          QStringLiteral(" before closing it?"),
                      TMsgDlgType::mtConfirmation, TMsgDlgButtons::mbYesNoCancel);
}

void TCustomPRPObjectForm::ShowAsChild() {
    if (shown_) return;
    shown_ = true;
    if (childHost()) subWindow_ = childHost()(this);
    if (subWindow_) {
        // The frame owns the form now and is the one freed on close.
        setAttribute(Qt::WA_DeleteOnClose, false);
        subWindow_->setAttribute(Qt::WA_DeleteOnClose);
        subWindow_->show();
    } else {
        show();
    }
}

QString FloatToText(double value) {
    if (std::isnan(value)) return QStringLiteral("NAN");
    if (std::isinf(value)) return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (value == 0) return QStringLiteral("0");
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", value);
    // buffer: [-]d.ddddddddddddddde[+-]xx
    std::string text = buffer;
    const size_t e = text.find('e');
    const int exponent = std::stoi(text.substr(e + 1));
    const bool negative = text[0] == '-';
    std::string digits;
    for (size_t i = negative ? 1 : 0; i < e; ++i)
        if (text[i] != '.') digits += text[i];
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const QString point = QLocale().decimalPoint();
    QString result = negative ? QStringLiteral("-") : QString();
    if (exponent < -4 || exponent >= 15) {
        result += QChar(digits[0]);
        if (digits.size() > 1) result += point + QString::fromStdString(digits.substr(1));
        result += QStringLiteral("E") + QString::number(exponent);
    } else if (exponent < 0) {
        result +=
            QStringLiteral("0") + point + QString(-exponent - 1, QChar('0')) + QString::fromStdString(digits);
    } else {
        const size_t whole = size_t(exponent) + 1;
        if (digits.size() <= whole) {
            result += QString::fromStdString(digits) + QString(int(whole - digits.size()), QChar('0'));
        } else {
            result += QString::fromStdString(digits.substr(0, whole)) + point +
                      QString::fromStdString(digits.substr(whole));
        }
    }
    return result;
}

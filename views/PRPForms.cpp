#include "PRPForms.h"

#include <QLayout>
#include <QLocale>
#include <QMdiSubWindow>
#include <QPixmap>
#include <cmath>
#include <cstdio>

#include "NumberText.h"
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
    QIcon icon = TreeImages().Icon(GetObjectImageIndex(entry));
    if (icon.isNull()) {
        // No class icon: a blank one, so the frame shows no stock picture instead.
        QPixmap blank(16, 16);
        blank.fill(Qt::transparent);
        icon = QIcon(blank);
    }
    setWindowIcon(icon);
    ShowAsChild();
    if (subWindow_) subWindow_->setWindowIcon(icon);
    growToContents();
}

void TCustomPRPObjectForm::growToContents() {
    // A window is shown before its loader fills it, so only now do its captions and links know their
    // widths. A window larger than the child area makes the area scroll rather than cut its fields.
    if (!subWindow_ || subWindow_->isMaximized() || subWindow_->isMinimized()) return;
    // Layouts nested in the window's own learn of their controls' new texts only when activated.
    if (layout()) {
        layout()->invalidate();
        layout()->activate();
    }
    const QSize need = minimumSizeHint();
    const QSize shown = subWindow_->contentsRect().size();
    if (!need.isValid() || (shown.width() >= need.width() && shown.height() >= need.height())) return;
    subWindow_->resize(subWindow_->size() - shown + shown.expandedTo(need));
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
    return QString::fromStdString(FloatText(value)).replace(QChar('.'), QLocale().decimalPoint());
}

#include "ViewerTestSupport.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTreeWidgetItemIterator>
#include <gtest/gtest.h>

#include "PRP_VCL.h"

OpenedWindows::OpenedWindows() {
    TCustomPRPObjectForm::SetChildHost([this](TCustomPRPObjectForm* form) -> QMdiSubWindow* {
        forms.push_back(form);
        return nullptr;
    });
}

OpenedWindows::~OpenedWindows() {
    TCustomPRPObjectForm::SetChildHost({});
    for (auto* form : forms)
        delete form;
}

void click(QWidget* widget) {
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

TCustomPRPObjectForm* openViewer(uint16_t classIndex, const std::string& name,
                                 const testpages::ByteWriter& body) {
    const char* viewerClass = FindViewerClass(classIndex, body.version());
    if (!viewerClass) return nullptr;
    const TViewerFactory factory = ViewerFactory(viewerClass);
    if (!factory) return nullptr;
    TCustomPRPObjectForm* form = factory();
    TPRPFileObject entry;
    entry.Desc = testpages::makeKey(classIndex, name);
    entry.Version = body.version();
    entry.MajorVersion = body.live() ? kMajorVersionLive : 0;
    TPlasmaStream stream = testpages::streamOf(body);
    form->LoadObject(entry, &stream);
    return form;
}

QString editText(QWidget* form, const char* name) {
    auto* edit = child<QLineEdit>(form, name);
    EXPECT_NE(edit, nullptr) << name;
    return edit ? edit->text() : QString();
}

bool checked(QWidget* form, const char* name) {
    auto* box = child<QCheckBox>(form, name);
    EXPECT_NE(box, nullptr) << name;
    return box && box->isChecked();
}

QStringList listTexts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

QStringList comboTexts(const QComboBox* combo) {
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

QStringList rowTexts(const TRowListView* list, int column) {
    QStringList texts;
    for (int i = 0; i < list->RowCount(); ++i)
        texts << list->Text(i, column);
    return texts;
}

QStringList topTexts(const QTreeWidget* tree) {
    QStringList texts;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        texts << tree->topLevelItem(i)->text(0);
    return texts;
}

QStringList childTexts(const QTreeWidgetItem* node) {
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
}

QStringList keyNodeNames(const QTreeWidget* tree) {
    QStringList names;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(tree)); *it; ++it)
        if (TObjRefTreeView::KeyOf(*it)) names << (*it)->text(0);
    return names;
}

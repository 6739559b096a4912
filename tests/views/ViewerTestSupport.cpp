#include "ViewerTestSupport.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTreeWidgetItemIterator>
#include <string_view>
#include <gtest/gtest.h>

#include "PRP_VCL.h"
#include "ViewerKit.h"

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

static QStringList listTexts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

static QStringList rowTexts(const TRowListView* list) {
    QStringList texts;
    for (int i = 0; i < list->RowCount(); ++i)
        texts << list->Text(i, 0);
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

QString shown(QWidget* form, const char* name) {
    if (std::string_view(name) == "windowTitle") return form->windowTitle();
    QWidget* control = child<QWidget>(form, name);
    if (!control) return QStringLiteral("(no control %1)").arg(name);
    QString text;
    if (auto* box = qobject_cast<QCheckBox*>(control))
        text = box->isChecked() ? "1" : "0";
    else if (auto* edit = qobject_cast<QLineEdit*>(control))
        text = edit->text();
    else if (auto* label = qobject_cast<QLabel*>(control))
        text = label->text();
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
        text = plain->toPlainText();
    else if (auto* combo = qobject_cast<QComboBox*>(control))
        text = combo->currentText();
    else if (auto* list = qobject_cast<QListWidget*>(control))
        text = listTexts(list).join('|');
    else if (auto* rows = qobject_cast<TRowListView*>(control))
        text = rowTexts(rows).join('|');
    else if (auto* tree = qobject_cast<QTreeWidget*>(control))
        text = keyNodeNames(tree).join('|');
    else if (auto* swatch = qobject_cast<TColorSwatch*>(control))
        text = QStringLiteral("%1").arg(swatch->Color(), 6, 16, QLatin1Char('0')).toUpper();
    else
        return QStringLiteral("(unread control %1)").arg(name);
    return text;
}

void expectShown(QWidget* form, std::initializer_list<const char*> rows) {
    ASSERT_NE(form, nullptr);
    for (const char* row : rows) {
        const std::string text(row);
        const size_t split = text.find('=');
        const std::string name = text.substr(0, split);
        EXPECT_EQ(shown(form, name.c_str()), QString::fromStdString(text.substr(split + 1))) << name;
    }
}

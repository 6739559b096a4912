#pragma once
// Helpers of the viewer window tests: windows opened through the child host, clicks, loading a viewer
// from bytes, and a message service that records instead of showing.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QTreeWidget>
#include <QMouseEvent>
#include <QWidget>
#include <vector>

#include "MessageService.h"
#include "ObjectDispatch.h"
#include "PRPForms.h"
#include "PartWriters.h"
#include "RowListView.h"

void click(QWidget* widget);

// Records every object window shown while it lives and closes them at the end.
class OpenedWindows {
public:
    OpenedWindows();
    ~OpenedWindows();
    std::vector<TCustomPRPObjectForm*> forms;
    template <class T> T* last() const {
        for (auto it = forms.rbegin(); it != forms.rend(); ++it)
            if (auto* form = dynamic_cast<T*>(*it)) return form;
        return nullptr;
    }
    // Clicks the form's link label of that name and returns the last window of type T shown (null when the
    // form is).
    template <class T> T* follow(QWidget* form, const char* link) const {
        if (!form) return nullptr;
        click(form->findChild<QLabel*>(QString::fromLatin1(link)));
        return last<T>();
    }
};

class RecordedMessages : public TMessageService {
public:
    RecordedMessages() { previous_ = SetMessageService(this); }
    ~RecordedMessages() override { SetMessageService(previous_); }
    TModalResult Show(TMsgDlgType, const QString& text, TMsgDlgButtons) override {
        texts.push_back(text);
        return TModalResult::mrOk;
    }
    std::vector<QString> texts;

private:
    TMessageService* previous_ = nullptr;
};

// Creates the viewer the dispatch table names for the class in this format and loads it from the body.
TCustomPRPObjectForm* openViewer(uint16_t classIndex, const std::string& name,
                                 const testpages::ByteWriter& body);

template <class T> T* child(QWidget* form, const char* name) {
    return form->findChild<T*>(QString::fromLatin1(name));
}

// The texts of a tree's top or child nodes.
QStringList topTexts(const QTreeWidget* tree);
QStringList childTexts(const QTreeWidgetItem* node);
// Texts of every node of a tree that stands for a key, in tree order.
QStringList keyNodeNames(const QTreeWidget* tree);

// What the user reads in a named control: the text of a line edit, label, text box or combo box ("" when
// nothing is chosen); "1" or "0" for a check box; a swatch's colour as six hex digits; the items of a list,
// the first column of a row list or the key names of a tree joined by "|"; "windowTitle" is the caption.
QString shown(QWidget* form, const char* name);
// Checks each control of the table, written "name=text", against its text.
void expectShown(QWidget* form, std::initializer_list<const char*> rows);

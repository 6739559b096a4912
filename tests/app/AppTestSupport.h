#pragma once
// Fixtures of the main-window tests: captured message boxes, settings in a temporary folder, page and age
// folders built by the test page writer.
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QTreeWidgetItem>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "MainUnit.h"
#include "MessageService.h"
#include "PartWriters.h"

struct CapturedMessage {
    TMsgDlgType type;
    QString text;
    TMsgDlgButtons buttons;
};

// Records every message box and answers with `answer` (OK for boxes with only an OK button).
class CapturingMessages : public TMessageService {
public:
    CapturingMessages() { previous_ = SetMessageService(this); }
    ~CapturingMessages() override { SetMessageService(previous_); }
    TModalResult Show(TMsgDlgType type, const QString& text, TMsgDlgButtons buttons) override {
        messages.push_back({type, text, buttons});
        return buttons == TMsgDlgButtons::mbOK ? TModalResult::mrOk : answer;
    }
    std::vector<CapturedMessage> messages;
    TModalResult answer = TModalResult::mrNo;

private:
    TMessageService* previous_ = nullptr;
};

// Points the per-user settings at a folder of its own for the life of the object.
class IsolatedSettings {
public:
    IsolatedSettings();
    ~IsolatedSettings();
    IsolatedSettings(const IsolatedSettings&) = delete;
    IsolatedSettings& operator=(const IsolatedSettings&) = delete;

private:
    QTemporaryDir dir_;
    QByteArray previousConfigHome_;
};

// Points TMPDIR at a folder, which need not exist, for the life of the object.
class TempFolderVariable {
public:
    explicit TempFolderVariable(const QString& folder);
    ~TempFolderVariable();
    TempFolderVariable(const TempFolderVariable&) = delete;
    TempFolderVariable& operator=(const TempFolderVariable&) = delete;

private:
    QByteArray previous_;
};

// A folder of page files.
class PageFolder {
public:
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString write(const QString& name, const testpages::TestPage& page) const;
    QString writeAge(const QString& name) const; // an empty ".age" file
    QString folder() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

// A page of the given family with the given location flags and one group per class (objects named
// prefix + number, bodies of 8 bytes).
testpages::TestPage makePage(uint16_t version, const std::string& age, const std::string& pageName,
                             uint16_t pageNumber, uint16_t locationFlags,
                             const std::vector<std::pair<uint16_t, std::vector<std::string>>>& groups);

// A family's name without blanks, for the names of parametrized cases.
std::string familyCaseName(const testpages::Family& family);

// Lets posted events (layouts, resizes, paints) run a few rounds, as they do before the user sees a window.
void settle();

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Texts of the top-level nodes, or of a node's children.
    QStringList topLevelTexts() const;
    static QStringList childTexts(const QTreeWidgetItem* node);
    // The first node of the tree with this text at any level.
    QTreeWidgetItem* findNode(const QString& text) const;
    // Right-clicks the first node with this text, as the user does before choosing a popup entry.
    void select(const QString& text);
    // Opens the viewer of the first node with this name, as Edit does, and lets its window settle.
    TCustomPRPObjectForm* openViewer(const char* name);

    std::unique_ptr<IsolatedSettings> settings;
    std::unique_ptr<CapturingMessages> messages;
    std::unique_ptr<TMainForm> form;
    PageFolder folder;
};

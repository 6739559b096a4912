#include "AppTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTreeWidgetItemIterator>
#include <algorithm>

#include "PRPForms.h"

// The program finds its settings files through the configuration folder, the toolkit's file dialogs
// through its own settings paths: both are pointed at the folder.
IsolatedSettings::IsolatedSettings() : previousConfigHome_(qgetenv("XDG_CONFIG_HOME")) {
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.path()));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
}

IsolatedSettings::~IsolatedSettings() {
    if (previousConfigHome_.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", previousConfigHome_);
}

TempFolderVariable::TempFolderVariable(const QString& folder) : previous_(qgetenv("TMPDIR")) {
    qputenv("TMPDIR", QFile::encodeName(folder));
}

TempFolderVariable::~TempFolderVariable() {
    if (previous_.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", previous_);
}

QString PageFolder::write(const QString& name, const testpages::TestPage& page) const {
    const QString file = path(name);
    testpages::writeFile(QFile::encodeName(file).toStdString(), testpages::buildPage(page));
    return file;
}

QString PageFolder::writeAge(const QString& name) const {
    const QString file = path(name);
    QFile age(file);
    age.open(QIODevice::WriteOnly);
    age.write("StartDateTime=0000000000\n");
    return file;
}

testpages::TestPage makePage(uint16_t version, const std::string& age, const std::string& pageName,
                             uint16_t pageNumber, uint16_t locationFlags,
                             const std::vector<std::pair<uint16_t, std::vector<std::string>>>& groups) {
    testpages::TestPage page = testpages::emptyPage(version, age, pageName, pageNumber, locationFlags);
    for (const auto& [classType, names] : groups) {
        testpages::TestGroup group(classType);
        for (size_t i = 0; i < names.size(); ++i) {
            TPRPObjectDesc key = testpages::makeKey(classType, names[i], pageNumber, page.seqPrefix);
            key.ObjectID = uint32_t(i + 1);
            group.objects.emplace_back(key, testpages::Bytes{1, 2, 3, 4, 0, 0, 0x80, 0x3F});
        }
        page.groups.push_back(group);
    }
    return page;
}

std::string familyCaseName(const testpages::Family& family) {
    std::string name = family.name;
    name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
    return name;
}

void MainFormTest::SetUp() {
    settings = std::make_unique<IsolatedSettings>();
    messages = std::make_unique<CapturingMessages>();
    form = std::make_unique<TMainForm>();
}

void MainFormTest::TearDown() {
    form.reset();
    messages.reset();
    settings.reset();
}

QStringList MainFormTest::topLevelTexts() const {
    QStringList texts;
    for (int i = 0; i < form->PRPTree->topLevelItemCount(); ++i)
        texts << form->PRPTree->topLevelItem(i)->text(0);
    return texts;
}

QStringList MainFormTest::childTexts(const QTreeWidgetItem* node) {
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
}

QTreeWidgetItem* MainFormTest::findNode(const QString& text) const {
    for (QTreeWidgetItemIterator it(form->PRPTree); *it; ++it)
        if ((*it)->text(0) == text) return *it;
    return nullptr;
}

void settle() {
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

TCustomPRPObjectForm* MainFormTest::openViewer(const char* name) {
    QTreeWidgetItem* node = findNode(QString::fromLatin1(name));
    EXPECT_NE(node, nullptr) << name;
    if (!node) return nullptr;
    TCustomPRPObjectForm* view = form->ShowObject(*form->NodeObject(node), false);
    settle();
    return view;
}

void MainFormTest::select(const QString& text) {
    QTreeWidgetItem* node = findNode(text);
    ASSERT_NE(node, nullptr) << text.toStdString();
    form->PreparePopup(node);
}

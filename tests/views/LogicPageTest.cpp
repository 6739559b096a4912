// Logic objects opened from a page through the main window, following part links and key lists into
// other objects of the page.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QTemporaryDir>

#include "LogicWriters.h"
#include "MainUnit.h"
#include "PRP_VCL.h"
#include "ViewerKit.h"
#include "ViewerTestSupport.h"
#include "unitTplActivatorConditionalObject.h"
#include "unitTplCollisionDetector.h"
#include "unitTplDetectorModifier.h"

using namespace testpages;
using testpages::makeKey;

namespace {
template <class T> T* lastWindow(QMdiArea* area) {
    const auto frames = area->subWindowList(QMdiArea::CreationOrder);
    for (auto it = frames.rbegin(); it != frames.rend(); ++it)
        if (auto* form = qobject_cast<T*>((*it)->widget())) return form;
    return nullptr;
}

} // namespace

TEST(LogicPage, CollisionDetectorLinksIntoThePage) {
    QTemporaryDir dir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    RecordedMessages messages;
    const Family& f = kFamilies[0];
    testpages::TestPage page;
    page.version = f.version;
    page.pageNumber = 3;
    const TPRPObjectDesc activator = makeKey(50, "Act", 3);
    const TPRPObjectDesc missing = makeKey(0x2D, "Elsewhere", 9);
    ByteWriter collision(f.version, f.major);
    writeDetector(collision, {}, {activator}, &missing, nullptr);
    collision.u8(0x01);
    ByteWriter act(f.version, f.major);
    act.u8(1).u8(0).u32(0);
    const TPRPObjectDesc regionKey = makeKey(44, "Region", 3);
    page.groups.push_back(testpages::TestGroup(44, {testpages::TestObject(regionKey, collision.bytes)}));
    page.groups.push_back(testpages::TestGroup(50, {testpages::TestObject(activator, act.bytes)}));
    const QString file = dir.filePath(QStringLiteral("Logic.prp"));
    testpages::writeFile(QFile::encodeName(file).toStdString(), testpages::buildPage(page));

    TMainForm main;
    main.OpenPRPFile(file);
    ASSERT_EQ(main.LocalPages.size(), 1u);
    auto* region = dynamic_cast<TfrmTplCollisionDetector*>(main.ShowObjectByKey(regionKey, false));
    ASSERT_NE(region, nullptr);
    expectShown(region, {"kTypeEnter=1"});

    click(region->LinkedDetectorModifier);
    auto* detector = lastWindow<TfrmTplDetectorModifier>(main.MdiArea);
    ASSERT_NE(detector, nullptr);
    expectShown(detector, {"Receivers=Act"});
    emit detector->Receivers->itemDoubleClicked(detector->Receivers->topLevelItem(0)->child(0), 0);
    auto* opened = lastWindow<TfrmTplActivatorConditionalObject>(main.MdiArea);
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->windowTitle(), "[0032] Act");

    // The remote modifier lives on a page that is not loaded.
    messages.texts.clear();
    click(detector->RemoteModLink);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], "Could not find the object in the currently loaded PRPs.\rTry loading other "
                                 "age PRPs or global PRPs.");
}

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

const TPRPObjectDesc* firstKeyNode(TObjRefTreeView* tree, QTreeWidgetItem** node) {
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        for (int j = 0; j < tree->topLevelItem(i)->childCount(); ++j) {
            *node = tree->topLevelItem(i)->child(j);
            return TObjRefTreeView::KeyOf(*node);
        }
    return nullptr;
}
} // namespace

TEST(LogicPage, CollisionDetectorLinksIntoThePage) {
    QTemporaryDir dir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    RecordedMessages messages;
    for (const Family& f : {kFamilies[0], kFamilies[1]}) {
        SCOPED_TRACE(f.name);
        const bool mystV = IsMystVFamily(f.version);
        const uint16_t collisionClass = mystV ? 43 : 44, activatorClass = mystV ? 49 : 50;
        testpages::TestPage page;
        page.version = f.version;
        page.pageNumber = 3;
        const TPRPObjectDesc activator = makeKey(activatorClass, "Act", 3);
        const TPRPObjectDesc missing = makeKey(0x2D, "Elsewhere", 9);
        ByteWriter collision(f.version, f.major);
        writeDetector(collision, {}, {activator}, &missing, nullptr);
        collision.u8(0x01);
        ByteWriter act(f.version, f.major);
        act.u8(1).u8(0).u32(0);
        page.groups.push_back(testpages::TestGroup(
            collisionClass, {testpages::TestObject(makeKey(collisionClass, "Region", 3), collision.bytes)}));
        page.groups.push_back(
            testpages::TestGroup(activatorClass, {testpages::TestObject(activator, act.bytes)}));
        const QString file = dir.filePath(QStringLiteral("Logic%1.prp").arg(f.version));
        testpages::writeFile(QFile::encodeName(file).toStdString(), testpages::buildPage(page));

        TMainForm main;
        main.OpenPRPFile(file);
        ASSERT_EQ(main.LocalPages.size(), 1u);
        TPRPObjectDesc regionKey = makeKey(collisionClass, "Region", 3);
        auto* region = dynamic_cast<TfrmTplCollisionDetector*>(main.ShowObjectByKey(regionKey, false));
        ASSERT_NE(region, nullptr);
        expectShown(region, {"kTypeEnter=1"});
        EXPECT_EQ(region->windowTitle(), mystV ? "[002B] Region" : "[002C] Region");

        click(region->LinkedDetectorModifier);
        auto* detector = lastWindow<TfrmTplDetectorModifier>(main.MdiArea);
        ASSERT_NE(detector, nullptr);
        EXPECT_EQ(detector->windowTitle(), "[0024] Detector Modifier");

        QTreeWidgetItem* node = nullptr;
        ASSERT_NE(firstKeyNode(detector->Receivers, &node), nullptr);
        emit detector->Receivers->itemDoubleClicked(node, 0);
        auto* opened = lastWindow<TfrmTplActivatorConditionalObject>(main.MdiArea);
        ASSERT_NE(opened, nullptr);
        EXPECT_EQ(opened->windowTitle(), mystV ? "[0031] Act" : "[0032] Act");

        // The remote modifier lives on a page that is not loaded.
        messages.texts.clear();
        click(detector->RemoteModLink);
        ASSERT_EQ(messages.texts.size(), 1u);
        EXPECT_EQ(messages.texts[0],
                  "Could not find the object in the currently loaded PRPs.\rTry loading other "
                  "age PRPs or global PRPs.");
    }
}

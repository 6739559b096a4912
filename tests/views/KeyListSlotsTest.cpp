// Key lists of the viewers: every key the list stores is a tree node, a key without a name included; only an
// absent key (present byte 0 in Uru and Live) adds nothing.
#include <gtest/gtest.h>

#include <QTreeWidgetItemIterator>
#include <functional>
#include <random>

#include "ObjectParts.h"
#include "PRP_VCL.h"
#include "ViewerTestSupport.h"

using namespace testpages;
using testpages::makeKey;

namespace {

const TPRPObjectDesc kNamed = makeKey(0x6D, "Alpha");
const TPRPObjectDesc kNameless = makeKey(0x6D, "");

// A named key, a present key without a name, and an absent one (an empty key in Myst V and Hex Isle, which
// store no present byte).
void writeList(ByteWriter& w) {
    w.u32(3).keyRef(&kNamed).keyRef(&kNameless).keyRef(nullptr);
}

using BodyWriter = std::function<void(ByteWriter&)>;

struct Row {
    const char* viewer;
    uint16_t uru, mystV;
    const char* tree;
    BodyWriter body;
};

// Most viewers fill their trees through the kit: one row with shared parts before the list, one without; the
// drawables keep their own loop.
const Row kRows[] = {
    {"coordinate children", 21, 21, "ObjRefs",
     [](ByteWriter& w) {
         writeSynched(w, 0);
         writeObjInterface(w, nullptr, {});
         for (int i = 0; i < 4; ++i)
             writeIdentityMatrix(w);
         writeList(w);
     }},
    {"drawables", 22, 22, "ObjRefs1",
     [](ByteWriter& w) {
         writeSynched(w, 0);
         writeObjInterface(w, nullptr, {});
         w.u32(3).u32(1).keyRef(&kNamed).u32(2).keyRef(&kNameless).u32(3).keyRef(nullptr);
         w.u32(0);
     }},
    {"win-audible sounds", 20, 20, "SoundRefs",
     [](ByteWriter& w) {
         writeList(w);
         w.keyRef(nullptr);
     }},
};

} // namespace

TEST(KeyListSlots, ReaderKeepsEverySlotAndWhetherItHeldAKey) {
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        ByteWriter w(f.version, f.major);
        writeList(w);
        TPlasmaStream s = streamOf(w);
        const TKeySlots keys = ReadKeySlots(s);
        const bool mystV = IsMystVFamily(f.version);
        ASSERT_EQ(keys.size(), 3u);
        EXPECT_EQ(keys[0].Name, "Alpha");
        EXPECT_EQ(keys[1].Name, "");
        EXPECT_EQ(keys[1].ClassType, 0x6D);
        EXPECT_EQ(keys[2].Name, "");
        EXPECT_EQ(keys.Present, (std::vector<bool>{true, true, mystV}));
        EXPECT_TRUE(s.AtEnd());
    }
}

TEST(KeyListSlots, KeysOfAFormatWithoutKeyLayoutAreCountedAgainstTheShortestKey) {
    // Such keys read nothing: 120 bytes left hold ten of the shortest present key (12 bytes), not 120 keys.
    ByteWriter w(3);
    w.u32(0xFFFFFFFFu).raw(Bytes(120, 0));
    TPlasmaStream s = streamOf(w);
    EXPECT_EQ(ReadKeySlots(s).size(), 10u);
}

TEST(KeyListSlots, EveryStoredKeyIsANodeWhateverItsName) {
    OpenedWindows windows;
    for (const Family& f : kFamilies)
        for (const Row& row : kRows) {
            SCOPED_TRACE(testing::Message() << f.name << ", " << row.viewer);
            ByteWriter w(f.version, f.major);
            row.body(w);
            const bool mystV = IsMystVFamily(f.version);
            TCustomPRPObjectForm* form = openViewer(mystV ? row.mystV : row.uru, "Obj", w);
            ASSERT_NE(form, nullptr);
            auto* tree = child<TObjRefTreeView>(form, row.tree);
            ASSERT_NE(tree, nullptr);
            // Uru and Live: the absent third key adds nothing. Myst V and Hex Isle: it is an empty key of
            // class 0, listed under that class's label.
            EXPECT_EQ(keyNodeNames(tree),
                      mystV ? (QStringList{"Alpha", "", ""}) : (QStringList{"Alpha", ""}));
            EXPECT_EQ(tree->topLevelItemCount(), mystV ? 2 : 1);
        }
}

// The scene node groups its objects under a root of their own; clothing items exist in Uru and Live only.
TEST(KeyListSlots, SceneNodeAndClothingListPresentKeys) {
    OpenedWindows windows;
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        const bool mystV = IsMystVFamily(f.version);
        ByteWriter w(f.version, f.major);
        writeList(w);
        w.u32(0);
        const QStringList names =
            keyNodeNames(child<TObjRefTreeView>(openViewer(0, "Node", w), "SceneObjects"));
        EXPECT_EQ(names.size(), mystV ? 3 : 2);
        EXPECT_TRUE(names.contains("Alpha"));
        if (mystV) continue;
        ByteWriter c(f.version, f.major);
        c.safeStr("Shirt").u8(0).u8(1).u8(0).u8(0).safeStr("").safeStr("").u8(0);
        c.u32(1).safeStr("Torso").u8(3);
        c.u8(0).keyRef(&kNamed).u8(1).keyRef(&kNameless).u8(2).keyRef(nullptr);
        c.u8(0).u8(0).u8(0).keyRef(nullptr).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0);
        EXPECT_EQ(keyNodeNames(child<TObjRefTreeView>(openViewer(181, "Shirt", c), "ObjRefs")),
                  (QStringList{"Alpha", ""}));
    }
}

// The group look-up against the rule walked out node by node: with a parent, its last direct child of the
// label's text; without one, the last node of that text anywhere in tree order, key nodes included. Nodes
// renamed, sorted or added behind the tree's back count as they are now.
TEST(KeyListSlots, GroupsFoundAsAWalkOfTheTreeWouldFindThem) {
    const std::vector<TPRPObjectDesc> keys = {makeKey(0x6D, "Alpha"), makeKey(0x01, "plSceneObject"),
                                              makeKey(0x01, "Beta"), makeKey(0x6D, ""),
                                              makeKey(0x4C, "Gamma")};
    TObjRefTreeView tree;
    tree.Version = kVersionUru;
    QTreeWidget reference;
    std::vector<QTreeWidgetItem*> nodes, referenceNodes;
    auto add = [](QTreeWidget& t, QTreeWidgetItem* parent, const QString& text, bool first) {
        auto* node = new QTreeWidgetItem(QStringList{text});
        if (parent)
            parent->insertChild(first ? 0 : parent->childCount(), node);
        else
            t.insertTopLevelItem(first ? 0 : t.topLevelItemCount(), node);
        return node;
    };
    std::mt19937 random(7);
    for (int step = 0; step < 400; ++step) {
        if (step == 200) {
            // Emptied and filled again, the index starts afresh.
            tree.clear();
            reference.clear();
            nodes.clear();
            referenceNodes.clear();
        }
        const TPRPObjectDesc& key = keys[random() % keys.size()];
        const size_t pick = nodes.empty() || random() % 3 == 0 ? nodes.size() : random() % nodes.size();
        QTreeWidgetItem* parent = pick < nodes.size() ? nodes[pick] : nullptr;
        QTreeWidgetItem* referenceParent = pick < nodes.size() ? referenceNodes[pick] : nullptr;
        const QString someLabel = PageText(GetClassLabel(keys[random() % keys.size()], kVersionUru));
        if (!nodes.empty() && random() % 12 == 0) {
            // Renamed after joining the tree: later look-ups see the new text, not the old one.
            const size_t which = random() % nodes.size();
            nodes[which]->setText(0, someLabel);
            referenceNodes[which]->setText(0, someLabel);
            continue;
        }
        if (random() % 40 == 0) {
            // Sorted: the children of each parent change places.
            tree.sortItems(0, Qt::AscendingOrder);
            reference.sortItems(0, Qt::AscendingOrder);
            continue;
        }
        if (random() % 12 == 0) {
            // A branch put together before joining the tree: its child counts as well.
            auto addBranch = [&](QTreeWidget& t, QTreeWidgetItem* under,
                                 std::vector<QTreeWidgetItem*>& list) {
                auto* branch = new QTreeWidgetItem(QStringList{QStringLiteral("Span")});
                branch->addChild(new QTreeWidgetItem(QStringList{someLabel}));
                if (under)
                    under->addChild(branch);
                else
                    t.addTopLevelItem(branch);
                list.push_back(branch);
                list.push_back(branch->child(0));
            };
            addBranch(tree, parent, nodes);
            addBranch(reference, referenceParent, referenceNodes);
            continue;
        }
        if (random() % 5 == 0) {
            const bool first = random() % 2;
            nodes.push_back(tree.AddLabelNode(QStringLiteral("Span"), parent, first));
            referenceNodes.push_back(add(reference, referenceParent, QStringLiteral("Span"), first));
            continue;
        }
        const QString label = PageText(GetClassLabel(key, kVersionUru));
        QTreeWidgetItem* group = nullptr;
        if (referenceParent) {
            for (int i = 0; i < referenceParent->childCount(); ++i)
                if (referenceParent->child(i)->text(0) == label) group = referenceParent->child(i);
        } else {
            for (QTreeWidgetItemIterator it(&reference); *it; ++it)
                if ((*it)->text(0) == label) group = *it;
        }
        if (!group) group = add(reference, referenceParent, label, false);
        QTreeWidgetItem* node = tree.AddKeyNode(key, parent);
        nodes.push_back(node->parent());
        referenceNodes.push_back(group);
        nodes.push_back(node);
        referenceNodes.push_back(add(reference, group, PageText(key.Name), false));
    }
    auto shape = [](QTreeWidget& t) {
        QStringList lines;
        for (QTreeWidgetItemIterator it(&t); *it; ++it) {
            int depth = 0;
            for (QTreeWidgetItem* p = (*it)->parent(); p; p = p->parent())
                ++depth;
            lines << QString(depth, QLatin1Char(' ')) + (*it)->text(0);
        }
        return lines;
    };
    EXPECT_EQ(shape(tree), shape(reference));
}

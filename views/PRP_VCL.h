#pragma once
// Controls shared by the viewers: the tree icons, the tree that lists object keys grouped by class, and
// the label that links to one referenced object.
#include <QIcon>
#include <QHash>
#include <QLabel>
#include <QTreeWidget>
#include <utility>
#include <vector>

#include "PRPClasses.h"
#include "ViewerKit.h"

// The tree icons: 0 folder and class group, 1 global age, 2 page, then one icon per class-table image index.
class TImageList {
public:
    TImageList();
    int Count() const { return int(icons_.size()); }
    // An empty icon for -1 or any index without a picture.
    QIcon Icon(int index) const;
    QPixmap Pixmap(int index) const;

    static constexpr int kFolder = 0;
    static constexpr int kGlobalAge = 1;
    static constexpr int kPage = 2;

private:
    std::vector<QPixmap> pixmaps_;
    std::vector<QIcon> icons_;
};

// The one icon list of the program (`PRPTreeImages`); drawn on first use, needs a QGuiApplication.
TImageList& TreeImages();

// Opens the object a key refers to through the main window (own viewer, never the raw view); errors are
// shown as messages. Does nothing when there is no main window.
void ShowObjectByKey(const TPRPObjectDesc& key);

// A tree of object keys under class-label nodes. A key node's data is the address of a key the viewer owns:
// keep the key arrays unchanged while the tree shows them.
class TObjRefTreeView : public QTreeWidget {
    Q_OBJECT
public:
    explicit TObjRefTreeView(QWidget* parent = nullptr);
    ~TObjRefTreeView() override;

    uint16_t Version = 0; // labels and icons are taken from this format's class table

    // Groups the key under a class-label node and adds it there. With a parent, the group is the parent's
    // last direct child of that text; without one, the last node of that text anywhere in the tree, in tree
    // order, key nodes included. A missing group is made as the parent's last child (or at the top).
    QTreeWidgetItem* AddKeyNode(const TPRPObjectDesc& key, QTreeWidgetItem* parent = nullptr);
    // Adds the key as the last child of group (top level without one).
    QTreeWidgetItem* AddKeyToGroup(const TPRPObjectDesc& key, QTreeWidgetItem* group);
    // A labelled node without data, for viewers that group keys themselves: the parent's last child, or its
    // first one with `first`.
    QTreeWidgetItem* AddLabelNode(const QString& text, QTreeWidgetItem* parent = nullptr, bool first = false);
    // Removes every node.
    void clear();

    // The key a node points at, or nullptr for label nodes.
    static const TPRPObjectDesc* KeyOf(const QTreeWidgetItem* node);

private:
    void nodeDoubleClicked(QTreeWidgetItem* node);
    void insertNode(QTreeWidgetItem* node, QTreeWidgetItem* parent, bool first = false);

    // The group look-ups of AddKeyNode without walking the tree, which made filling a long list take time
    // growing with the square of its length. Per text, the last node in tree order; per parent and text,
    // the parent's last child. It follows the model's notices, so nodes added by any means are seen; what
    // it cannot follow cheaply (removal, renaming, reordering) leaves it stale until the next look-up
    // rebuilds it in one walk.
    void nodesInserted(const QModelIndex& parent, int first, int last);
    void noteNode(QTreeWidgetItem* node);
    void forgetIndex();
    void rebuildIndex();
    bool comesAfter(const QTreeWidgetItem* a, const QTreeWidgetItem* b) const;
    int rowOf(const QTreeWidgetItem* node) const;
    QHash<QString, QTreeWidgetItem*> lastByText_;
    QHash<std::pair<const QTreeWidgetItem*, QString>, QTreeWidgetItem*> lastChildByText_;
    bool indexStale_ = true;

    // Labels and icons by class index for the current Version: a class-table look-up scans the whole table.
    struct ClassLook {
        QString Label;
        QIcon Icon;
    };
    const ClassLook& classLook(const TPRPObjectDesc& key);
    QHash<uint16_t, ClassLook> classLooks_;
    uint16_t classLooksVersion_ = 0;
};

// A label that links to a referenced object: "(none)" and disabled for a key without a name, else the key's
// name; a click opens the object. A name wider than the label is cut in its middle with an ellipsis, so that
// names that differ only at their end still differ on the screen, and shown whole in the tooltip; key names
// run to 65,535 characters, so the label asks its layout only for a few characters of one unless it is told
// to ask for the whole name.
class TKeyLinkLabel : public TLinkLabel {
    Q_OBJECT
public:
    explicit TKeyLinkLabel(QWidget* parent = nullptr);
    void SetKey(const TPRPObjectDesc& key);
    const TPRPObjectDesc& Key() const { return key_; }

    // Whether the label's least width is its whole text (else a few characters and an ellipsis).
    void SetAsksWhole(bool whole);
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool elided() const;
    void updateToolTip();
    TPRPObjectDesc key_;
    bool asksWhole_ = false;
    // The width of the whole text as last measured, and that text; -1 until measured in the current font.
    mutable int textWidth_ = -1;
    mutable QString measured_;
};
